#include "app/win32/main_window.h"

#include <commctrl.h>

#include <utility>

#include "app/win32/controls.h"
#include "app/win32/save_dialog.h"
#include "base/wide_text.h"

namespace app::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"TMainForm";
constexpr wchar_t kBannerResource[] = L"BANNER";
constexpr wchar_t kIconResource[] = L"MAINICON";

enum ControlId { kGroupBox1Id = 100, kEdit1Id, kBitBtn1Id, kBitBtn2Id, kBitBtn3Id };

// Right-to-left reading order without mirroring the positions.
constexpr DWORD kRightToLeft = WS_EX_RTLREADING | WS_EX_RIGHT;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | kRightToLeft;

using syscode::Wide;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, syscode::HardwareSources& sources, syscode::LogSink& log,
                       syscode::FileSystem& files, Text application_title)
    : instance_(instance), form_(*this, sources, log, files, std::move(application_title)) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (window_font_ != nullptr) DeleteObject(window_font_);
  if (edit1_font_ != nullptr) DeleteObject(edit1_font_);
}

bool MainWindow::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, kIconResource);
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, kIconResource, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kWindowClass;
  if (RegisterClassExW(&wc) == 0) return false;
  RegisterGroupBoxClass(instance_);

  MakeFonts();
  LoadBanner();
  hwnd_ = CreateWindowExW(kWindowExStyle, kWindowClass, Wide(kWindowCaption), kWindowStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
  if (hwnd_ == nullptr) return false;
  PlaceCentred();
  form_.Dispatch(&TMainForm::FormCreate);
  return true;
}

void MainWindow::RunMessageLoop() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(edit1_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The dialog manager gives the window Tab navigation between controls.
    if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  // No error may cross back into the system's code.
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    self->form_.HandleException(std::current_exception());
    return 0;
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: return OnControlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_ACTIVATE: OnActivate(LOWORD(wparam) != WA_INACTIVE); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default: return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void MainWindow::OnCreate() {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), FALSE);
  // Creation order is the tab order: GroupBox1 (Edit1 inside), BitBtn1, 2, 3.
  group_box1_ = CreateControl(kGroupBoxClass, kGroupBoxCaption, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT | kRightToLeft,
                              kGroupBox1, hwnd_, kGroupBox1Id);
  edit1_ = CreateControl(L"EDIT", Text(), WS_TABSTOP | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL,
                         WS_EX_CLIENTEDGE | WS_EX_LTRREADING, kEdit1, group_box1_, kEdit1Id);
  SendMessageW(edit1_, WM_SETFONT, reinterpret_cast<WPARAM>(edit1_font_), FALSE);
  const DWORD button_style = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
  bitbtn1_ = CreateControl(L"BUTTON", kGetCodeCaption, button_style, WS_EX_RTLREADING, kBitBtn1, hwnd_, kBitBtn1Id);
  bitbtn2_ = CreateControl(L"BUTTON", kSaveCaption, button_style, WS_EX_RTLREADING, kBitBtn2, hwnd_, kBitBtn2Id);
  bitbtn3_ = CreateControl(L"BUTTON", kExitCaption, button_style, WS_EX_RTLREADING, kBitBtn3, hwnd_, kBitBtn3Id);
  for (HWND button : {bitbtn1_, bitbtn2_, bitbtn3_}) MakeDoubleBuffered(button);
}

HWND MainWindow::CreateControl(const wchar_t* window_class, const Text& caption, DWORD style, DWORD ex_style,
                               const Box& box, HWND parent, int id) {
  const Box b = scale_(box);
  HWND control =
      CreateWindowExW(ex_style, window_class, Wide(caption), WS_CHILD | WS_VISIBLE | style, b.left, b.top, b.width,
                      b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), FALSE);
  return control;
}

void MainWindow::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kBitBtn1Id: form_.Dispatch(&TMainForm::Button1Click); break;
    case kBitBtn2Id: form_.Dispatch(&TMainForm::BitBtn2Click); break;
    case kBitBtn3Id: form_.Dispatch(&TMainForm::BitBtn3Click); break;
    default: break;  // Enter and Escape (IDOK, IDCANCEL): no default or cancel button
  }
}

void MainWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (!banner_.pixels.empty()) {
    // Image1: docked at the top, as wide as the client area, the picture
    // stretched without keeping its proportions.
    RECT client;
    GetClientRect(hwnd_, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = banner_.width;
    info.bmiHeader.biHeight = -banner_.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, 0, 0, client.right, scale_(kImage1.height), 0, 0, banner_.width, banner_.height,
                  banner_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND control) {
  if (control == edit1_) {
    // Edit1: black text on the system's window colour, also while read-only.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::OnActivate(bool active) {
  // Keep the focused control across deactivation, as a dialog does.
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
  } else {
    SetFocus(last_focus_ != nullptr && IsWindow(last_focus_) ? last_focus_ : edit1_);
  }
}

void MainWindow::OnDestroy() { PostQuitMessage(0); }

void MainWindow::MakeFonts() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  int window_height = kWindowFont.height;
  if (dpi != kDesignDpi && dpi > 0) window_height = MulDiv(kWindowFont.height, dpi, kDesignDpi);
  window_font_ = MakeFont(Wide(kWindowFont.face), window_height, kWindowFont.bold, DEFAULT_CHARSET);
  if (dpi != kDesignDpi && dpi > 0 && window_font_ != nullptr) {
    const int text_height = TextHeightOfZero(window_font_);
    if (text_height > 0) scale_ = Scale(text_height, kDesignTextHeight);
  }
  edit1_font_ = MakeFont(Wide(kEdit1Font.face), scale_(kEdit1Font.height), kEdit1Font.bold, ANSI_CHARSET);
}

void MainWindow::LoadBanner() {
  HRSRC found = FindResourceW(instance_, kBannerResource, reinterpret_cast<LPCWSTR>(RT_RCDATA));
  if (found == nullptr) return;
  HGLOBAL loaded = LoadResource(instance_, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return;
  std::string error;
  // A picture that cannot be decoded leaves the banner's area empty.
  if (!DecodeJpeg(static_cast<const unsigned char*>(data), SizeofResource(instance_, found), &banner_, &error)) {
    banner_ = DecodedImage();
  }
}

void MainWindow::PlaceCentred() {
  // The outer size that gives the (scaled) client area.
  RECT outer = {0, 0, scale_(kClientWidth), scale_(kClientHeight)};
  AdjustWindowRectEx(&outer, kWindowStyle, FALSE, kWindowExStyle);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  // Centred on the desktop spanning all monitors.
  const Box desktop = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  const Point corner = CentredTopLeft(desktop, width, height);
  SetWindowPos(hwnd_, nullptr, corner.x, corner.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowCodeField(const Text& shown, int max_length) {
  SendMessageW(edit1_, EM_SETLIMITTEXT, static_cast<WPARAM>(max_length), 0);
  SetWindowTextW(edit1_, Wide(shown));
}

void MainWindow::SetSaveButtonEnabled(bool enabled) { EnableWindow(bitbtn2_, enabled ? TRUE : FALSE); }

bool MainWindow::ExecuteSaveDialog(const Text& file_name, Text* chosen_path) {
  return win32::ExecuteSaveDialog(hwnd_, file_name, chosen_path);
}

void MainWindow::ShowErrorMessage(const Text& caption, const Text& message) {
  MessageBoxW(hwnd_, Wide(message), Wide(caption), MB_ICONERROR | MB_OK);
}

void MainWindow::CloseWindow() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

}  // namespace app::win32
