// A push button whose caption wraps onto further lines, at word breaks, when
// it does not fit the button's width (QPushButton itself cuts it off).
#pragma once

#include <QPushButton>

namespace app::qt {

class CaptionButton : public QPushButton {
 public:
  explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace app::qt
