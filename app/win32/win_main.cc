// Program start and end: COM and OLE for the whole run, the main window,
// the message loop, exit code 0 (1 when the window cannot be made).
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/main_form.h"
#include "app/win32/main_window.h"
#include "base/dll_search.h"
#include "syscode/diagnostic_log.h"
#include "base/file_system.h"
#include "syscode/readers.h"
#include "wmi/com_apartment.h"

namespace {

syscode::Text ProgramPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return syscode::Text(reinterpret_cast<const char16_t*>(buffer.data()), length);
    buffer.resize(buffer.size() * 2);
  }
}

// The application title from the program file's name. Windows' own case
// mapping lowers every letter after the first, not only "A" to "Z".
syscode::Text ApplicationTitle() {
  syscode::Text title = app::ApplicationTitleFromPath(ProgramPath());
  if (title.size() > 1) {
    CharLowerBuffW(reinterpret_cast<wchar_t*>(&title[1]), static_cast<DWORD>(title.size() - 1));
  }
  return title;
}

}  // namespace

// MainForm: the program's one reference to its window.
app::win32::MainWindow* MainForm = nullptr;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything can load a DLL by name: System32 only.
  syscode::LoadDllsFromSystem32Only();
  // OLE, then a single-threaded COM apartment on this thread for the whole
  // run; each is undone at the end only if it succeeded.
  wmi::ComApartment apartment(wmi::ComApartment::Mode::kOleAndCom);
  const syscode::Text title = ApplicationTitle();

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  syscode::WmiHardwareSources sources;
  syscode::DiagnosticLog log(syscode::SystemFileSystem());
  app::win32::MainWindow window(instance, sources, log, syscode::SystemFileSystem(), title);
  MainForm = &window;
  // A window that cannot be made (no desktop yet, out of resources) is a
  // failed start, not a run that ended normally: exit code 1.
  const bool created = window.Create();
  if (created) window.RunMessageLoop();
  MainForm = nullptr;
  return created ? 0 : 1;
}
