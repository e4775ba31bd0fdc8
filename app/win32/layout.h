// The scaling rule that adapts the form's measures (app/form_layout.h, at
// 96 dots per inch) to the system's setting.
#pragma once

#include <windows.h>

#include "app/form_layout.h"

namespace app::win32 {

// Scaling under a setting other than 96 dpi: the window font grows by
// dpi/96; every measure and Edit1's own font then grow by the ratio of the
// window font's new height of "0" to kDesignTextHeight. At 96 dpi nothing
// changes.
class Scale {
 public:
  Scale() = default;
  Scale(int multiplier, int divisor) : m_(multiplier), d_(divisor) {}
  int operator()(int value) const { return MulDiv(value, m_, d_); }
  Box operator()(const Box& b) const { return {(*this)(b.left), (*this)(b.top), (*this)(b.width), (*this)(b.height)}; }

 private:
  int m_ = 1;
  int d_ = 1;
};

}  // namespace app::win32
