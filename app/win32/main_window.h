// MainForm: the Win32 window around TMainForm. It builds the controls with
// their layout, hands every message to a small On... method and runs the
// handlers through TMainForm::Dispatch, so an escaping error reaches the
// general error handler and the window carries on.
#pragma once

#include <windows.h>

#include <memory>

#include "app/banner_image.h"
#include "app/main_form.h"
#include "app/win32/layout.h"

namespace app::win32 {

class MainWindow : public MainFormView {
 public:
  MainWindow(HINSTANCE instance, syscode::HardwareSources& sources, syscode::LogSink& log, syscode::FileSystem& files,
             Text application_title);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, centres it on the desktop and runs
  // FormCreate. Returns false when the window could not be created.
  bool Create();
  // Shows the window and processes messages until it is closed.
  void RunMessageLoop();

  HWND Handle() const { return hwnd_; }
  TMainForm& Form() { return form_; }

  // MainFormView
  void ShowCodeField(const Text& shown, int max_length) override;
  void SetSaveButtonEnabled(bool enabled) override;
  bool ExecuteSaveDialog(const Text& file_name, Text* chosen_path) override;
  void ShowErrorMessage(const Text& caption, const Text& message) override;
  void CloseWindow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void OnCreate();
  void OnCommand(int id, int notification);
  void OnPaint();
  LRESULT OnControlColor(HDC dc, HWND control);
  void OnActivate(bool active);
  void OnDestroy();

  void MakeFonts();
  void LoadBanner();
  HWND CreateControl(const wchar_t* window_class, const Text& caption, DWORD style, DWORD ex_style, const Box& box,
                     HWND parent, int id);
  void PlaceCentred();

  HINSTANCE instance_;
  TMainForm form_;
  HWND hwnd_ = nullptr;
  HWND group_box1_ = nullptr;
  HWND edit1_ = nullptr;
  HWND bitbtn1_ = nullptr;
  HWND bitbtn2_ = nullptr;
  HWND bitbtn3_ = nullptr;
  HWND last_focus_ = nullptr;
  HFONT window_font_ = nullptr;
  HFONT edit1_font_ = nullptr;
  Scale scale_;
  DecodedImage banner_;
};

}  // namespace app::win32
