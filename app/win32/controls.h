// The few control kinds the main window needs beyond the stock ones: a group
// box that draws its caption at its right end (as its reading order asks,
// without mirroring), and double-buffered painting for push buttons.
#pragma once

#include <windows.h>

namespace app::win32 {

// Registers the group box window class (once per process). Its children's
// WM_COMMAND and WM_CTLCOLOR* messages go on to the group box's parent.
void RegisterGroupBoxClass(HINSTANCE instance);
inline constexpr wchar_t kGroupBoxClass[] = L"SyscodeGroupBox";

// Makes a control paint through a memory bitmap, so it does not flicker.
void MakeDoubleBuffered(HWND control);

// A font with a character height of `height` pixels. Returns nullptr when
// the system cannot make it.
HFONT MakeFont(const wchar_t* face, int height, bool bold, BYTE charset);

// The height of the text "0" in `font`.
int TextHeightOfZero(HFONT font);

}  // namespace app::win32
