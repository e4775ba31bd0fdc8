// The main window's measures at 96 dots per inch and the scaling rule that
// adapts them to the system's setting.
#pragma once

#include <windows.h>

namespace app::win32 {

struct Box {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kClientWidth = 494;
inline constexpr int kClientHeight = 206;

inline constexpr Box kImage1 = {0, 0, 494, 89};
inline constexpr Box kGroupBox1 = {8, 95, 478, 65};
inline constexpr Box kEdit1 = {11, 22, 455, 30};  // within GroupBox1
inline constexpr Box kBitBtn1 = {285, 169, 201, 27};
inline constexpr Box kBitBtn2 = {87, 169, 73, 27};
inline constexpr Box kBitBtn3 = {8, 169, 73, 27};

inline constexpr int kDesignDpi = 96;
inline constexpr int kWindowFontHeight = 11;  // "Tahoma", 8 points at 96 dpi
inline constexpr int kEdit1FontHeight = 19;   // "Arial", 14 points at 96 dpi
// The text height of "0" in the window font the measures were made with.
inline constexpr int kDesignTextHeight = 13;
// The group box's caption stands this far in from its right side.
inline constexpr int kGroupCaptionIndent = 8;

// Scaling under a setting other than 96 dpi: the window font grows by
// dpi/96; every measure and Edit1's own font then grow by the ratio of the
// window font's new height of "0" to 13. At 96 dpi nothing changes.
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
