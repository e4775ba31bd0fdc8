// The Qt window over fake hardware sources: its controls, the state table of
// the get-code button, the error handler and the save button.
#include "app/qt/main_window.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "fakes/fake_sources.h"
#include "qt/qt_test_support.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "base/errors.h"
#include "base/file_system.h"

namespace {

using syscode::Text;
using Values = std::array<Text, syscode::kSourceCount>;

// Values as a desktop machine reports them; every source gives a part.
const Values kMachine = {u"BFEBFBFF000906EA", u"ALASKA - 1072009",      u"M80-C4006600547", u"WD-WCC6Y3KX0000",
                         u"2.17.1246",        u"ASUSTeK COMPUTER INC.", u"-1952830473"};
// A machine whose first three sources give nothing usable.
const Values kSparse = {u"", u"1.0", u"Default string", u"0000000000", u"", u"", u""};

QString Q(const Text& text) { return QString::fromStdU16String(text); }

// The code a newly opened window derives from `values` on its first press.
Text FirstPressCode(const Values& values) {
  fakes::FixedSources sources(values);
  syscode::NullLog log;
  return syscode::CodeAssembly(sources, log).GetSystemCode();
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
  return file.readAll();
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    qttest::App();
    // Every test starts in a scratch folder: the log goes to the working
    // directory and saving moves it.
    QDir::setCurrent(scratch_.path());
  }
  ~MainWindowTest() override {
    window_.reset();
    QDir::setCurrent(saved_cwd_);
  }

  // Opens the window over the fake sources with scripted dialogs: the save
  // dialog takes its answers from answers_, message boxes are recorded.
  app::qt::QtMainWindow& Open(syscode::LogSink& log, syscode::FileSystem& files) {
    window_ = std::make_unique<app::qt::QtMainWindow>(sources_, log, files, u"Syscode");
    window_->SetMessageBoxRunner([this](QWidget* parent, const QString& caption, const QString& text) {
      EXPECT_EQ(parent, window_.get());
      messages_.emplace_back(caption, text);
    });
    window_->SetSaveDialogRunner([this](QWidget* parent, const QString& offered) -> std::optional<QString> {
      EXPECT_EQ(parent, window_.get());
      offered_.push_back(offered);
      if (answers_.empty()) {
        ADD_FAILURE() << "save dialog opened without a scripted answer";
        return std::nullopt;
      }
      std::optional<QString> answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    return *window_;
  }
  app::qt::QtMainWindow& Open() { return Open(log_, syscode::SystemFileSystem()); }

  template <typename Widget>
  Widget* Find(const char* name) {
    Widget* widget = window_->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Edit1() { return Find<QLineEdit>("Edit1"); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
  void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
  QString Scratch(const QString& name) const { return scratch_.filePath(name); }

  QTemporaryDir scratch_;
  const QString saved_cwd_ = QDir::currentPath();
  fakes::FixedSources sources_{kMachine};
  fakes::MemoryLog log_;
  std::unique_ptr<app::qt::QtMainWindow> window_;
  std::vector<std::pair<QString, QString>> messages_;  // caption, text
  std::deque<std::optional<QString>> answers_;
  std::vector<QString> offered_;
};

// --- Layout ---------------------------------------------------------------

TEST_F(MainWindowTest, ControlsStandAtTheirPlacesWithTheirCaptions) {
  Open();
  struct Case {
    const char* name;
    QRect geometry;  // relative to the parent (Edit1: to GroupBox1)
    const char16_t* caption;
  };
  const Case cases[] = {
      {"Image1", QRect(0, 0, 494, 89), u""},
      {"GroupBox1", QRect(8, 95, 478, 65), app::kGroupBoxCaption},
      {"Edit1", QRect(11, 22, 455, 30), u""},
      {"BitBtn1", QRect(285, 169, 201, 27), app::kGetCodeCaption},
      {"BitBtn2", QRect(87, 169, 73, 27), app::kSaveCaption},
      {"BitBtn3", QRect(8, 169, 73, 27), app::kExitCaption},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* widget = Find<QWidget>(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), c.geometry);
    QString caption;
    if (auto* box = qobject_cast<QGroupBox*>(widget)) caption = box->title();
    if (auto* button = qobject_cast<QPushButton*>(widget)) caption = button->text();
    EXPECT_EQ(caption, Q(c.caption));
  }
  EXPECT_EQ(Edit1()->parentWidget(), Find<QGroupBox>("GroupBox1"));
}

TEST_F(MainWindowTest, WindowHasFixedClientSizeAndOnlyTheCloseButton) {
  app::qt::QtMainWindow& window = Open();
  EXPECT_EQ(window.windowTitle(), Q(app::kWindowCaption));
  EXPECT_EQ(window.size(), QSize(494, 206));
  EXPECT_EQ(window.minimumSize(), QSize(494, 206));
  EXPECT_EQ(window.maximumSize(), QSize(494, 206));
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(MainWindowTest, CodeFieldIsReadOnlyCentredBoldBlackAndLeftToRight) {
  Open();
  QLineEdit* edit = Edit1();
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->alignment(), Qt::AlignCenter);
  EXPECT_EQ(edit->layoutDirection(), Qt::LeftToRight);
  EXPECT_TRUE(edit->font().bold());
  EXPECT_EQ(edit->font().pixelSize(), 19);
  EXPECT_EQ(edit->font().family(), QStringLiteral("Arial"));
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(edit->palette().color(QPalette::Base), qttest::App().palette().color(QPalette::Base));
}

TEST_F(MainWindowTest, CaptionsReadRightToLeftInAFontWithThePersianLetters) {
  app::qt::QtMainWindow& window = Open();
  // Positions stay those of the Windows window; the texts read right to left.
  EXPECT_EQ(window.layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(window.font().pixelSize(), 11);
  for (const char* name : {"GroupBox1", "BitBtn1", "BitBtn2", "BitBtn3"}) {
    SCOPED_TRACE(name);
    QWidget* widget = Find<QWidget>(name);
    EXPECT_EQ(widget->layoutDirection(), Qt::RightToLeft);
    // The font the window asks for ("Tahoma" or its substitute) must draw
    // every letter itself, not through some fallback font.
    const QFontMetrics metrics(widget->font());
    const QString caption = qobject_cast<QGroupBox*>(widget) != nullptr ? qobject_cast<QGroupBox*>(widget)->title()
                                                                        : qobject_cast<QPushButton*>(widget)->text();
    for (QChar letter : caption) {
      EXPECT_TRUE(metrics.inFont(letter)) << "U+" << std::hex << static_cast<int>(letter.unicode()) << " missing from "
                                          << QFontInfo(widget->font()).family().toStdString();
    }
  }
}

TEST_F(MainWindowTest, BannerIsDecodedAndStretchedOverTheTop) {
  Open();
  const QImage banner = app::qt::BannerImage();
  EXPECT_EQ(banner.size(), QSize(600, 90));
  const QPixmap shown = Find<QLabel>("Image1")->pixmap();
  EXPECT_EQ(shown.size(), QSize(494, 89));
  // Stretched, not cropped: the corners of the picture stay the corners.
  const QImage image = shown.toImage();
  for (const auto& [source, target] :
       {std::pair{QPoint(0, 0), QPoint(0, 0)}, std::pair{QPoint(599, 89), QPoint(493, 88)}}) {
    const QColor a = banner.pixelColor(source);
    const QColor b = image.pixelColor(target);
    EXPECT_NEAR(a.red(), b.red(), 24);
    EXPECT_NEAR(a.green(), b.green(), 24);
    EXPECT_NEAR(a.blue(), b.blue(), 24);
  }
}

TEST_F(MainWindowTest, TabOrderRunsFromTheCodeFieldThroughTheButtons) {
  Open();
  std::vector<QString> order;
  QWidget* widget = Edit1();
  for (int i = 0; i < 4; ++i) {
    order.push_back(widget->objectName());
    do {
      widget = widget->nextInFocusChain();
    } while (widget->focusPolicy() == Qt::NoFocus);
  }
  EXPECT_EQ(order, (std::vector<QString>{"Edit1", "BitBtn1", "BitBtn2", "BitBtn3"}));
  for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn3"}) {
    EXPECT_FALSE(Button(name)->isDefault()) << name;
    EXPECT_FALSE(Button(name)->autoDefault()) << name;
  }
}

TEST(CentredTopLeft, CentresOnTheWholeDesktopButNeverBeforeItsCorner) {
  struct Case {
    const char* what;
    QRect desktop;
    QSize outer;
    QPoint expected;
  };
  const Case cases[] = {
      {"one monitor", QRect(0, 0, 1920, 1080), QSize(494, 206), QPoint(713, 437)},
      {"two side by side", QRect(0, 0, 3840, 1080), QSize(494, 206), QPoint(1673, 437)},
      {"second monitor left of the first", QRect(-1920, 0, 3840, 1080), QSize(494, 206), QPoint(-247, 437)},
      {"odd sizes divide down", QRect(0, 0, 1025, 769), QSize(495, 207), QPoint(265, 281)},
      {"window larger than the desktop", QRect(0, 0, 400, 150), QSize(494, 206), QPoint(0, 0)},
      {"larger, desktop not at 0,0", QRect(-100, -50, 400, 150), QSize(494, 206), QPoint(-100, -50)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::qt::CentredTopLeft(c.desktop, c.outer), c.expected) << c.what;
  }
}

TEST_F(MainWindowTest, OpensCentredOnBothScreensTogether) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  const QRect desktop = qttest::kPrimaryScreen.united(qttest::kSecondScreen);  // 2304 x 800
  window_ = std::make_unique<app::qt::QtMainWindow>(sources_, log_, syscode::SystemFileSystem(), u"Syscode");
  window_->CentreOnDesktop();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  EXPECT_EQ(window_->frameGeometry().topLeft(), QPoint(desktop.width() / 2 - 494 / 2, desktop.height() / 2 - 206 / 2));
}

// --- The get-code button and the state table --------------------------------

TEST_F(MainWindowTest, FreshWindowShowsAnEmptyFieldAndCannotSave) {
  app::qt::QtMainWindow& window = Open();
  EXPECT_EQ(Edit1()->text(), QString());
  EXPECT_EQ(Edit1()->maxLength(), 32767);  // no limit
  EXPECT_FALSE(Button("BitBtn2")->isEnabled());
  EXPECT_TRUE(Button("BitBtn1")->isEnabled());
  EXPECT_TRUE(Button("BitBtn3")->isEnabled());
  EXPECT_EQ(window.Form().ComputerId(), Text());
  EXPECT_EQ(window.Form().ExistItem(), 0);
  EXPECT_TRUE(log_.lines.empty());  // nothing is read before the first click
}

TEST_F(MainWindowTest, GetCodeShowsTheCodeInGroupsOfFiveAndEnablesSave) {
  struct Case {
    const char* what;
    Values values;
  };
  for (const Case& c : {Case{"full code", kMachine}, Case{"short code", kSparse}}) {
    SCOPED_TRACE(c.what);
    sources_.values = c.values;
    app::qt::QtMainWindow& window = Open();
    Click("BitBtn1");
    const Text code = FirstPressCode(c.values);
    QString expected;
    if (code.size() == 25) {
      expected = Q(code.substr(0, 5) + u"-" + code.substr(5, 5) + u"-" + code.substr(10, 5) + u"-" +
                   code.substr(15, 5) + u"-" + code.substr(20, 5));
    } else {
      ASSERT_EQ(code.size(), 4u);
      expected = Q(code) + QStringLiteral(" -     -     -     -     ");
    }
    EXPECT_EQ(Edit1()->text(), expected);
    EXPECT_EQ(Edit1()->maxLength(), 29);
    EXPECT_EQ(window.Form().ComputerId(), code);
    EXPECT_TRUE(Button("BitBtn2")->isEnabled());
    EXPECT_TRUE(messages_.empty());
  }
}

TEST_F(MainWindowTest, ShortCodeOfNoSourceShowsItsDigitsThenBlankGroups) {
  sources_.values = Values{};
  Open();
  Click("BitBtn1");
  EXPECT_EQ(Edit1()->text(), QStringLiteral("0000 -     -     -     -     "));
  EXPECT_TRUE(Button("BitBtn2")->isEnabled());
}

TEST_F(MainWindowTest, SecondClickShowsTheNewCodeAndKeepsTheFirstClicksSources) {
  app::qt::QtMainWindow& window = Open();
  Click("BitBtn1");
  const Text first = window.Form().ComputerId();
  const std::uint8_t first_bits = window.Form().ExistItem();
  // The processor's identifier goes away: the second click takes other sources.
  sources_.values[0] = u"";
  Click("BitBtn1");
  const Text second = window.Form().ComputerId();
  EXPECT_NE(second, first);
  EXPECT_EQ(window.Form().ExistItem() & first_bits, first_bits);
  EXPECT_NE(window.Form().ExistItem(), first_bits);
  EXPECT_EQ(Edit1()->text().remove(u'-'), Q(second));
  EXPECT_EQ(Edit1()->maxLength(), 29);
}

TEST_F(MainWindowTest, FirstClickWhoseLogFailsShowsTheErrorAndEmptyGroups) {
  log_.fail_at = 1;
  log_.fail = [] { throw syscode::FileError(syscode::oserr::kAccessDenied, u"LogD.txt"); };
  app::qt::QtMainWindow& window = Open();
  Click("BitBtn1");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, QStringLiteral("Syscode"));
  EXPECT_EQ(messages_[0].second, QStringLiteral("File access denied."));
  EXPECT_EQ(Edit1()->text(), QStringLiteral("     -     -     -     -     "));
  EXPECT_FALSE(Button("BitBtn2")->isEnabled());
  EXPECT_EQ(window.Form().ComputerId(), Text());
  EXPECT_TRUE(window.isVisible());  // the window carries on
}

TEST_F(MainWindowTest, LaterClickWhoseLogFailsKeepsThePreviousCodeSavable) {
  app::qt::QtMainWindow& window = Open();
  Click("BitBtn1");
  const QString shown = Edit1()->text();
  const Text code = window.Form().ComputerId();
  log_.fail_at = log_.count + 2;
  log_.fail = [] { throw syscode::FileError(syscode::oserr::kSharingViolation, u"LogD.txt"); };
  Click("BitBtn1");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].second, QStringLiteral("I/O error 32."));
  EXPECT_EQ(Edit1()->text(), shown);
  EXPECT_EQ(window.Form().ComputerId(), code);
  EXPECT_TRUE(Button("BitBtn2")->isEnabled());
}

TEST_F(MainWindowTest, ErrorMessageBoxIsCriticalOwnedByTheWindowWithTheTitle) {
  log_.fail_at = 1;
  log_.fail = [] { throw syscode::FileError(syscode::oserr::kPathNotFound, u"<b>LogD.txt"); };
  app::qt::QtMainWindow& window = Open();
  window.SetMessageBoxRunner(app::qt::ShowCriticalMessage);  // the real message box
  bool seen = false;
  qttest::WhenModal([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = true;
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Syscode"));
    // Plain text: a file name is never taken for markup.
    EXPECT_EQ(box->text(), QStringLiteral("Invalid file name - <b>LogD.txt."));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box->layoutDirection(), Qt::LeftToRight);
    box->button(QMessageBox::Ok)->click();
  });
  Click("BitBtn1");
  EXPECT_TRUE(seen);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ExitButtonClosesTheWindowInEitherState) {
  for (bool with_code : {false, true}) {
    SCOPED_TRACE(with_code ? "code shown" : "fresh");
    app::qt::QtMainWindow& window = Open();
    if (with_code) Click("BitBtn1");
    Click("BitBtn3");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(messages_.empty());
  }
}

// --- The note on sources only root could read --------------------------------

using Access = std::vector<syscode::SourceAccess>;

// Every widget of the window with its place, to show that the note leaves
// the specified layout alone.
std::vector<std::pair<QString, QRect>> Layout(QWidget& window) {
  std::vector<std::pair<QString, QRect>> layout{{window.objectName(), QRect(QPoint(), window.size())}};
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    layout.emplace_back(widget->objectName(), widget->geometry());
  }
  return layout;
}

TEST_F(MainWindowTest, APressThatReadASourceOnlyRootCouldReadSaysSoInTheCodeFieldsTooltip) {
  app::qt::QtMainWindow& window = Open();
  const auto layout = Layout(window);
  // BiosVersion (source 2) is always read, and only root could read it.
  window.SetAccessProvider([] { return Access{{1, true, u"permission denied"}}; });
  Click("BitBtn1");
  EXPECT_EQ(Edit1()->toolTip(), Q(app::qt::kPrivilegeNote));
  EXPECT_TRUE(Edit1()->toolTip().contains(QStringLiteral("root")));
  EXPECT_EQ(Layout(window), layout);
  EXPECT_TRUE(messages_.empty());
  // A later press without such a source clears the note.
  window.SetAccessProvider([] { return Access{}; });
  Click("BitBtn1");
  EXPECT_TRUE(Edit1()->toolTip().isEmpty());
  EXPECT_EQ(Layout(window), layout);
}

TEST_F(MainWindowTest, NoNoteForASourceThePressNeverReadOrThatRootCannotReadEither) {
  app::qt::QtMainWindow& window = Open();
  // kMachine gives three parts from the first three sources: the disk
  // signature (source 7) is never read; the BIOS version is refused to root
  // as well.
  window.SetAccessProvider([] {
    return Access{{1, false, u"operation not permitted"}, {6, true, u"permission denied"}};
  });
  Click("BitBtn1");
  EXPECT_EQ(log_.lines.size(), 4u);
  EXPECT_TRUE(Edit1()->toolTip().isEmpty());
  // With sparse values the press reads all seven, the signature among them.
  sources_.values = kSparse;
  Click("BitBtn1");
  EXPECT_EQ(Edit1()->toolTip(), Q(app::qt::kPrivilegeNote));
}

// --- The save button --------------------------------------------------------

TEST_F(MainWindowTest, SaveWritesTheCodeAndCrLfAndNothingElse) {
  struct Case {
    const char* what;
    Values values;
    int size;
  };
  for (const Case& c : {Case{"full code", kMachine, 27}, Case{"short code", Values{}, 6}}) {
    SCOPED_TRACE(c.what);
    sources_.values = c.values;
    app::qt::QtMainWindow& window = Open();
    Click("BitBtn1");
    const QString path = Scratch(QString::fromLatin1(c.what) + ".txt");
    answers_.push_back(path);
    Click("BitBtn2");
    EXPECT_TRUE(messages_.empty());
    const QByteArray bytes = FileBytes(path);
    EXPECT_EQ(bytes, QByteArray::fromStdString(syscode::ToUtf8(window.Form().ComputerId()) + "\r\n"));
    EXPECT_EQ(bytes.size(), c.size);
  }
}

TEST_F(MainWindowTest, SavingTwiceToOneFileLeavesOneLine) {
  app::qt::QtMainWindow& window = Open();
  Click("BitBtn1");
  const QString path = Scratch("code.txt");
  answers_ = {path, path};
  Click("BitBtn2");
  Click("BitBtn2");
  EXPECT_EQ(FileBytes(path), QByteArray::fromStdString(syscode::ToUtf8(window.Form().ComputerId()) + "\r\n"));
}

TEST_F(MainWindowTest, DialogOffersTheInitialNameThenTheLastConfirmedPath) {
  Open();
  Click("BitBtn1");
  const QString first = Scratch("first.txt");
  // The second save fails (no such folder); the third opening offers it all the same.
  const QString failed = Scratch("missing/second.txt");
  answers_ = {first, failed, std::nullopt};
  Click("BitBtn2");
  Click("BitBtn2");
  Click("BitBtn2");
  EXPECT_EQ(offered_, (std::vector<QString>{"HardwareInfo.txt", first, failed}));
}

TEST_F(MainWindowTest, CancelWritesNothingShowsNothingAndKeepsTheOfferedName) {
  app::qt::QtMainWindow& window = Open();
  Click("BitBtn1");
  const QStringList before = QDir(scratch_.path()).entryList(QDir::Files);
  answers_ = {std::nullopt, std::nullopt};
  Click("BitBtn2");
  Click("BitBtn2");
  EXPECT_EQ(offered_, (std::vector<QString>{"HardwareInfo.txt", "HardwareInfo.txt"}));
  EXPECT_EQ(QDir(scratch_.path()).entryList(QDir::Files), before);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(QDir::currentPath(), QDir(scratch_.path()).canonicalPath());
  EXPECT_TRUE(Button("BitBtn2")->isEnabled());
  EXPECT_FALSE(window.Form().ComputerId().empty());
}

// A file system whose Create fails with a given code.
class FailingCreate : public syscode::ForwardingFileSystem {
 public:
  FailingCreate(syscode::FileSystem& target, int code) : ForwardingFileSystem(target), code_(code) {}
  int Create(const Text& name, Handle* handle) override {
    if (code_ != 0) return code_;
    return target().Create(name, handle);
  }

 private:
  int code_;
};

TEST_F(MainWindowTest, SaveFailureShowsTheFileErrorAndLeavesTheWindowAsItWas) {
  struct Case {
    const char* what;
    QString path;  // the answer of the dialog
    int injected;  // a failure of Create to inject, or 0
    QString message;
  };
  QDir(scratch_.path()).mkdir("folder");
  const QString missing = Scratch("missing/code.txt");
  const Case cases[] = {
      {"folder does not exist", missing, 0, "Invalid file name - " + missing + "."},
      {"a folder in the file's place", Scratch("folder"), 0, "File access denied."},
      {"no write permission", Scratch("code.txt"), syscode::oserr::kAccessDenied, "File access denied."},
      {"held open by another program", Scratch("code.txt"), syscode::oserr::kSharingViolation, "I/O error 32."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailingCreate files(syscode::SystemFileSystem(), c.injected);
    app::qt::QtMainWindow& window = Open(log_, files);
    Click("BitBtn1");
    const QString shown = Edit1()->text();
    const Text code = window.Form().ComputerId();
    messages_.clear();
    offered_.clear();
    answers_ = {c.path, std::nullopt};
    Click("BitBtn2");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], std::make_pair(QStringLiteral("Syscode"), c.message));
    EXPECT_EQ(Edit1()->text(), shown);
    EXPECT_EQ(window.Form().ComputerId(), code);
    EXPECT_TRUE(Button("BitBtn2")->isEnabled());
    EXPECT_FALSE(QFileInfo(c.path).isFile());
    Click("BitBtn2");  // offers the path that failed
    EXPECT_EQ(offered_.back(), c.path);
  }
}

TEST_F(MainWindowTest, ConfirmedSaveMovesTheLogToTheChosenFolder) {
  syscode::DiagnosticLog log(syscode::SystemFileSystem());
  Open(log, syscode::SystemFileSystem());
  Click("BitBtn1");
  ASSERT_TRUE(QFileInfo(Scratch("LogD.txt")).isFile());
  QDir(scratch_.path()).mkdir("elsewhere");
  const QString elsewhere = QDir(Scratch("elsewhere")).canonicalPath();
  answers_ = {elsewhere + "/code.txt"};
  Click("BitBtn2");
  EXPECT_EQ(QDir::currentPath(), elsewhere);
  const QByteArray before = FileBytes(Scratch("LogD.txt"));
  Click("BitBtn1");
  EXPECT_EQ(FileBytes(Scratch("LogD.txt")), before);  // the old log is left alone
  const QByteArray moved = FileBytes(elsewhere + "/LogD.txt");
  EXPECT_TRUE(moved.startsWith("CpuId = BFEBFBFF000906EA\r\n")) << moved.toStdString();
  EXPECT_TRUE(moved.endsWith(QByteArray(50, '-') + "\r\n")) << moved.toStdString();
}

}  // namespace
