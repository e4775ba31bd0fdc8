#include "app/win32/controls.h"

#include <commctrl.h>

#include "app/form_layout.h"

namespace app::win32 {

namespace {

void PaintGroupBox(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = SelectObject(dc, font);
  wchar_t caption[128];
  const int length = GetWindowTextW(hwnd, caption, 128);
  SIZE text{};
  GetTextExtentPoint32W(dc, L"0", 1, &text);
  const int text_height = text.cy;

  // The etched frame runs through the middle of the caption line.
  RECT frame = client;
  frame.top = text_height / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

  if (length > 0) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption, length, &extent);
    RECT caption_box = {client.right - kGroupCaptionIndent - extent.cx, 0, client.right - kGroupCaptionIndent,
                        text_height};
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, caption, length, &caption_box, DT_RIGHT | DT_RTLREADING | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, old_font);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: PaintGroupBox(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
      SetPropW(hwnd, L"SyscodeFont", reinterpret_cast<HANDLE>(wparam));
      if (LOWORD(lparam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(GetPropW(hwnd, L"SyscodeFont"));
    case WM_NCDESTROY: RemovePropW(hwnd, L"SyscodeFont"); break;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageW(GetParent(hwnd), message, wparam, lparam);
    default: break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK BufferedPaintProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT && wparam == 0) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (memory != nullptr && bitmap != nullptr) {
      HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
      FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
      DefSubclassProc(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old_bitmap);
    } else {
      DefSubclassProc(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, BufferedPaintProc, id);
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

void RegisterGroupBoxClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, kGroupBoxClass, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = GroupBoxProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kGroupBoxClass;
  RegisterClassExW(&wc);
}

void MakeDoubleBuffered(HWND control) { SetWindowSubclass(control, BufferedPaintProc, 1, 0); }

HFONT MakeFont(const wchar_t* face, int height, bool bold, BYTE charset) {
  LOGFONTW lf{};
  lf.lfHeight = -height;  // negative: character height without internal leading
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

int TextHeightOfZero(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

}  // namespace app::win32
