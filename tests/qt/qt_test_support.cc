#include "qt/qt_test_support.h"

#include <QByteArray>

#include "app/qt/fonts.h"

namespace qttest {

QApplication& App() {
  static int argc = 1;
  static char name[] = "syscode_qt_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: widgets of a failed test may outlive the test.
  static QApplication* application = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* created = new QApplication(argc, argv);
    app::InstallFontSubstitutions();
    return created;
  }();
  return *application;
}

}  // namespace qttest
