// syscode: the window that shows this machine's system code.
#include <QApplication>
#include <QString>

#include "app/main_form.h"
#include "app/qt/fonts.h"
#include "app/qt/main_window.h"
#include "syscode/diagnostic_log.h"
#include "base/file_system.h"
#include "syscode/readers.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("syscode"));
  app::InstallFontSubstitutions();

  QString program = QCoreApplication::applicationFilePath();
  if (program.isEmpty() && argc > 0) program = QString::fromLocal8Bit(argv[0]);
  const syscode::Text title = app::ApplicationTitleFromPath(program.toStdU16String());
  QApplication::setWindowIcon(app::ProgramIcon());

  syscode::FileSystem& files = syscode::SystemFileSystem();
  syscode::DiagnosticLog log(files);
  // The seven WMI readers, answered by this platform's hardware layer.
  syscode::WmiHardwareSources sources;
  app::QtMainWindow window(sources, log, files, title);
  window.CentreOnDesktop();
  window.show();
  application.exec();
  return 0;
}
