#include "app/qt/caption_button.h"

#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace app::qt {

CaptionButton::CaptionButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

void CaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  // The style draws the button without its label; the label follows, centred
  // and wrapped, in the reading order of the button.
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, option.palette, isEnabled(), caption,
                       QPalette::ButtonText);
}

}  // namespace app::qt
