// Button captions that do not fit wrap onto further lines.
#include "app/qt/caption_button.h"

#include <gtest/gtest.h>

#include <QImage>

#include "app/main_form.h"
#include "qt/qt_test_support.h"

namespace {

// The first and last row of the rendered button (frame left out) with a
// pixel much darker than the button's face: the caption's ink.
std::pair<int, int> InkRows(QWidget& widget) {
  const QImage image = widget.grab().toImage();
  const QColor face = image.pixelColor(3, image.height() / 2);
  int first = -1;
  int last = -1;
  for (int y = 3; y < image.height() - 3; ++y) {
    for (int x = 3; x < image.width() - 3; ++x) {
      if (face.lightness() - image.pixelColor(x, y).lightness() > 80) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last};
}

TEST(CaptionButton, WrapsACaptionThatDoesNotFitAndKeepsItsText) {
  qttest::App();
  const QString caption = QString::fromStdU16String(app::kSaveCaption);  // three words
  app::qt::CaptionButton wide(caption);
  wide.setGeometry(0, 0, 200, 60);
  app::qt::CaptionButton narrow(caption);
  narrow.setGeometry(0, 0, 40, 60);
  const auto [wide_top, wide_bottom] = InkRows(wide);
  const auto [narrow_top, narrow_bottom] = InkRows(narrow);
  ASSERT_GE(wide_top, 0);
  ASSERT_GE(narrow_top, 0);
  const int line = narrow.fontMetrics().height();
  EXPECT_LT(wide_bottom - wide_top, line) << "one line when it fits";
  EXPECT_GT(narrow_bottom - narrow_top, line) << "more lines when it does not";
  EXPECT_EQ(narrow.text(), caption);
}

}  // namespace
