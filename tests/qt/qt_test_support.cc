#include "qt/qt_test_support.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryFile>

#include "app/qt/fonts.h"

namespace qttest {

namespace {

// The offscreen platform's screens: kPrimaryScreen with kSecondScreen to its
// right, so that centring on the whole desktop differs from centring on the
// primary screen. No window frames: a window's outer size is its size.
QString WriteScreenConfig() {
  // One file per test process (CTest runs several at once), removed at exit.
  static QTemporaryFile file(QDir::temp().filePath(QStringLiteral("syscode_qt_screens_XXXXXX.json")));
  if (file.open()) {
    file.write(QStringLiteral(R"({"windowFrameMargins": false,
  "screens": [
    {"name": "primary", "x": %1, "y": %2, "width": %3, "height": %4, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "second", "x": %5, "y": %6, "width": %7, "height": %8, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
  ]})")
                   .arg(kPrimaryScreen.x())
                   .arg(kPrimaryScreen.y())
                   .arg(kPrimaryScreen.width())
                   .arg(kPrimaryScreen.height())
                   .arg(kSecondScreen.x())
                   .arg(kSecondScreen.y())
                   .arg(kSecondScreen.width())
                   .arg(kSecondScreen.height())
                   .toUtf8());
    file.flush();
  }
  return file.fileName();
}

}  // namespace

QApplication& App() {
  static int argc = 1;
  static char name[] = "syscode_qt_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: widgets of a failed test may outlive the test.
  static QApplication* application = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + WriteScreenConfig().toLocal8Bit());
    auto* created = new QApplication(argc, argv);
    app::qt::InstallFontSubstitutions();
    return created;
  }();
  return *application;
}

}  // namespace qttest

// Under LeakSanitizer: fontconfig keeps a cache for the life of the process
// that it never frees; that is no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
