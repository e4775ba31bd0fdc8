// The main window's logic, shared by the Win32 and Qt windows: its state
// (ExistItem through the CodeAssembly, ComputerId, the code field's mask,
// the save dialog's remembered file name), its handlers and the general
// error handler's message rule. The windows implement MainFormView.
#pragma once

#include <exception>

#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "base/file_system.h"
#include "syscode/hardware_sources.h"
#include "base/text.h"

namespace app {

using syscode::Text;

inline constexpr char16_t kWindowCaption[] = u"خصوصیات سخت افزاری سیستم";
inline constexpr char16_t kGroupBoxCaption[] = u"کد سیستم";
inline constexpr char16_t kGetCodeCaption[] = u"دریافت کد سیستم";
inline constexpr char16_t kSaveCaption[] = u"ذخیره در فایل";
inline constexpr char16_t kExitCaption[] = u"خروج";

inline constexpr char16_t kCodeEditMask[] = u"AAAAA-AAAAA-AAAAA-AAAAA-AAAAA;0; ";

inline constexpr char16_t kSaveDialogTitle[] = u"Save System Hardware Properties";
inline constexpr char16_t kSaveDialogFilter[] = u"Text Files|*.txt";
inline constexpr char16_t kSaveDialogDefaultExt[] = u".txt";
inline constexpr char16_t kSaveDialogInitialName[] = u"HardwareInfo.txt";
inline constexpr size_t kMaxPathLength = 259;

// The application title: the program file's name without its folder and
// without everything from its first ".", every letter after the first in
// lower case ("C:\\Tools\\SYSCODE.exe" gives "Syscode").
Text ApplicationTitleFromPath(const Text& program_path);

// An edit field with an input mask, as far as this window uses one: the
// pattern is walked from the left, "-" is a fixed character, every other
// position takes the next character of the text or the blank.
class MaskedField {
 public:
  // Setting the same mask again changes nothing; another mask formats the
  // current (empty) value under it. The empty mask shows the plain text.
  void SetEditMask(const Text& mask);
  void SetValue(const Text& value);

  const Text& EditMask() const { return mask_; }
  const Text& Shown() const { return shown_; }
  // The length limit: 0 for none, else the pattern's length.
  int MaxLength() const;

 private:
  void Format();
  Text mask_;
  Text value_;
  Text shown_;
};

// What the window's logic needs of its controls.
class MainFormView {
 public:
  virtual ~MainFormView() = default;
  // Edit1 shows `shown`, limited to `max_length` characters (0: no limit).
  virtual void ShowCodeField(const Text& shown, int max_length) = 0;
  virtual void SetSaveButtonEnabled(bool enabled) = 0;
  // The modal save dialog with the fixed settings above, offering
  // `file_name`. Returns true with the full chosen path when confirmed.
  virtual bool ExecuteSaveDialog(const Text& file_name, Text* chosen_path) = 0;
  // The general error handler's message box: owned by the window, the
  // caption, the error icon, one OK button.
  virtual void ShowErrorMessage(const Text& caption, const Text& message) = 0;
  virtual void CloseWindow() = 0;
};

class TMainForm {
 public:
  TMainForm(MainFormView& view, syscode::HardwareSources& sources, syscode::LogSink& log, syscode::FileSystem& files,
            Text application_title);

  void FormCreate();
  void Button1Click();  // get the code; errors travel to the caller
  void BitBtn2Click();  // save the code; errors travel to the caller
  void BitBtn3Click();  // close the window

  // The general error handler for an error that escaped a handler.
  void HandleException(const std::exception_ptr& failure);

  // Runs a handler the way the message loop does: an escaping error goes to
  // the general error handler and the window carries on.
  template <typename Handler>
  void Dispatch(Handler handler) {
    try {
      (this->*handler)();
    } catch (...) {
      HandleException(std::current_exception());
    }
  }

  const Text& ComputerId() const { return computer_id_; }
  std::uint8_t ExistItem() const { return assembly_.ExistItem(); }
  const MaskedField& Edit1() const { return edit1_; }
  bool SaveEnabled() const { return save_enabled_; }
  const Text& SaveDialogFileName() const { return save_file_name_; }
  const Text& ApplicationTitle() const { return title_; }

 private:
  void ShowEdit1();

  MainFormView& view_;
  syscode::FileSystem& files_;
  syscode::CodeAssembly assembly_;
  Text title_;
  MaskedField edit1_;
  Text computer_id_;
  bool save_enabled_ = false;
  Text save_file_name_ = kSaveDialogInitialName;
};

}  // namespace app
