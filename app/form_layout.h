// The main window's form as both windows (Win32 and Qt) build it: the
// measures at 96 dots per inch, the fonts, the group box's caption indent,
// the text height the measures were made with, and where the window opens
// on the desktop. Plain numbers and text only; each window turns them into
// its toolkit's calls.
#pragma once

namespace app {

// A control's place in pixels at 96 dpi, relative to its parent's client
// area.
struct Box {
  int left;
  int top;
  int width;
  int height;
};

// The client area; the window has a fixed size.
inline constexpr int kClientWidth = 494;
inline constexpr int kClientHeight = 206;

// Image1 is docked at the top edge, always as wide as the client area.
inline constexpr Box kImage1 = {0, 0, kClientWidth, 89};
inline constexpr Box kGroupBox1 = {8, 95, 478, 65};
inline constexpr Box kEdit1 = {11, 22, 455, 30};  // within GroupBox1
inline constexpr Box kBitBtn1 = {285, 169, 201, 27};
inline constexpr Box kBitBtn2 = {87, 169, 73, 27};
inline constexpr Box kBitBtn3 = {8, 169, 73, 27};

// A font by face and character height in pixels at 96 dpi (the height
// without internal leading: Windows' negative lfHeight, Qt's pixel size).
struct FontSpec {
  const char16_t* face;
  int height;
  bool bold;
};

// The window's font, which every control takes unless it has its own.
inline constexpr FontSpec kWindowFont = {u"Tahoma", 11, false};  // 8 points
// Edit1's own font, drawn in black.
inline constexpr FontSpec kEdit1Font = {u"Arial", 19, true};  // 14 points

inline constexpr int kDesignDpi = 96;
// The text height of "0" in the window font the measures were made with;
// under another setting the measures scale by the new height over this one.
inline constexpr int kDesignTextHeight = 13;
// The group box's caption stands this far in from its right side.
inline constexpr int kGroupCaptionIndent = 8;

struct Point {
  int x;
  int y;
};

// The top-left corner that centres a window of outer size `width` x
// `height` on `desktop` (the area spanning all monitors): desktop left +
// desktop width div 2 - width div 2, likewise for the top, but never left
// of or above the desktop's top-left corner.
constexpr Point CentredTopLeft(const Box& desktop, int width, int height) {
  const int left = desktop.left + desktop.width / 2 - width / 2;
  const int top = desktop.top + desktop.height / 2 - height / 2;
  return {left < desktop.left ? desktop.left : left, top < desktop.top ? desktop.top : top};
}

}  // namespace app
