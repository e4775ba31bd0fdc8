// The main window on Linux: Qt widgets at the measures of the Windows window
// (app/form_layout.h: fixed size, the same boxes and fonts), over the shared
// TMainForm logic.
//
// Reading order: the captions are Persian and read right to left, but the
// positions are those of the Windows window (BitBtn1 at the right end), so
// the window itself keeps Qt's left-to-right geometry and only the group box
// and the buttons read right to left. Edit1 reads left to right.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include "app/form_layout.h"
#include "app/main_form.h"
#include "app/qt/save_dialog.h"
#include "syscode/diagnostic_log.h"
#include "base/file_system.h"
#include "syscode/hardware_sources.h"
#include "syscode/source_access.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app::qt {

// The form's centring rule (app/form_layout.h) in Qt's types: the top-left
// corner that centres a window of outer size `outer` on `desktop` (the
// union of all screens).
QPoint CentredTopLeft(const QRect& desktop, const QSize& outer);

// The banner decoded with libjpeg from the embedded JPEG; a null image when
// it cannot be decoded (the reason goes to Qt's warning output).
QImage BannerImage();

// The program's icon, from the embedded PNG.
QIcon ProgramIcon();

// The general error handler's message box: critical icon, `caption`, the
// message as plain text reading left to right, one OK button, modal over
// `parent`.
void ShowCriticalMessage(QWidget* parent, const QString& caption, const QString& message);

// The sources of the window, passed through, with a note of which of them
// the current press read (for the note on sources a privileged user could
// read, see QtMainWindow).
class ReadRecorder final : public syscode::IndexedHardwareSources {
 public:
  explicit ReadRecorder(syscode::HardwareSources& sources) : sources_(sources) {}
  void Reset() { read_ = {}; }
  const std::array<bool, syscode::kSourceCount>& Read() const { return read_; }

 protected:
  Text ReadSource(int index) override {
    read_[index] = true;
    return (sources_.*syscode::kSources[index].read)();
  }

 private:
  syscode::HardwareSources& sources_;
  std::array<bool, syscode::kSourceCount> read_{};
};

// The tooltip of Edit1 after a press that read a source this user could not
// read but a privileged user (root) could: the code may then differ from
// the one a run as root gives. Persian, then English.
inline constexpr char16_t kPrivilegeNote[] =
    u"این کد بدون دسترسی root ساخته شد "
    u"و برخی از منابع سخت‌افزاری خوانده نشد؛ "
    u"اجرای برنامه با دسترسی root ممکن است کد دیگری بدهد.\n"
    u"Made without root rights: some hardware sources could not be read, "
    u"and a run as root may give another code.";

class QtMainWindow : public QWidget, public MainFormView {
 public:
  // Returns the confirmed full path, or nullopt when cancelled.
  using SaveDialogRunner = std::function<std::optional<QString>(QWidget* parent, const QString& file_name)>;
  using MessageBoxRunner = std::function<void(QWidget* parent, const QString& caption, const QString& message)>;
  using AccessProvider = std::function<std::vector<syscode::SourceAccess>()>;

  // Builds the controls and runs FormCreate. The references must outlive
  // the window.
  QtMainWindow(syscode::HardwareSources& sources, syscode::LogSink& log, syscode::FileSystem& files,
               Text application_title, QWidget* parent = nullptr);

  // Tests replace the modal dialogs with scripted answers.
  void SetSaveDialogRunner(SaveDialogRunner runner) { save_dialog_ = std::move(runner); }
  void SetMessageBoxRunner(MessageBoxRunner runner) { message_box_ = std::move(runner); }
  // Tests replace the platform's answer to which sources were unreadable.
  void SetAccessProvider(AccessProvider provider) { access_ = std::move(provider); }

  // Moves the window to the centre of the desktop that spans all screens.
  void CentreOnDesktop();

  TMainForm& Form() { return form_; }

  // MainFormView.
  void ShowCodeField(const Text& shown, int max_length) override;
  void SetSaveButtonEnabled(bool enabled) override;
  // Runs the save dialog; a confirmed choice also moves the process's
  // working directory to the chosen file's folder, as the Windows dialog
  // does, so that later log lines are written there.
  bool ExecuteSaveDialog(const Text& file_name, Text* chosen_path) override;
  void ShowErrorMessage(const Text& caption, const Text& message) override;
  void CloseWindow() override;

 private:
  void BuildControls();
  void ConnectHandlers();
  // Sets or clears Edit1's tooltip (kPrivilegeNote) after a press; the
  // window's layout stays as it is.
  void ShowPrivilegeNote();

  ReadRecorder recorder_;  // before form_, which reads through it
  TMainForm form_;
  SaveDialogRunner save_dialog_ = &RunSaveDialog;
  MessageBoxRunner message_box_ = &ShowCriticalMessage;
  AccessProvider access_ = [] { return syscode::UnreadableSources(); };

  QGroupBox* group_box1_ = nullptr;
  QPushButton* bit_btn1_ = nullptr;
  QLabel* image1_ = nullptr;
  QPushButton* bit_btn2_ = nullptr;
  QPushButton* bit_btn3_ = nullptr;
  QLineEdit* edit1_ = nullptr;
};

}  // namespace app::qt
