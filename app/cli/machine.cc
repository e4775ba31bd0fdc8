// This machine's code through the WMI readers, with the reason for every
// source (--sources, --json), and the press's lines in a log (--log).
#include <filesystem>
#include <memory>

#include "app/cli/access_hint.h"
#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "base/errors.h"
#include "base/file_system.h"
#include "syscode/readers.h"
#include "syscode/source_access.h"
#include "wmi/com_apartment.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cli {

namespace {

// Keeps what each reader saw.
class DetailRecorder : public syscode::ReaderObserver {
 public:
  explicit DetailRecorder(syscode::PressFacts& press) : press_(press) {}
  void SourceRead(int index, const syscode::ReaderDetail& detail) override { press_.details[index] = detail; }

 private:
  syscode::PressFacts& press_;
};

// Why the log file could not be written, as the file system tells it; the
// window's message (from the error code alone) cannot say that a folder is
// missing. Empty when nothing more is known.
Text RealReason([[maybe_unused]] const Text& file, [[maybe_unused]] int code) {
#ifdef _WIN32
  return Text();
#else
  namespace fs = std::filesystem;
  const fs::path path(syscode::ToUtf8(file));
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  const Text shown_folder = syscode::FromUtf8(folder.string());
  if (!fs::exists(folder, ec)) return u"the folder " + shown_folder + u" does not exist";
  if (!fs::is_directory(folder, ec)) return shown_folder + u" is not a folder";
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) return u"it is a folder";
  if (fs::exists(status) && !fs::is_regular_file(status)) return u"it is not a regular file";
  if (fs::exists(status) && ::access(path.c_str(), W_OK) != 0) return u"no permission to write the file";
  if (!fs::exists(status) && ::access(folder.c_str(), W_OK) != 0) {
    return u"no permission to create a file in " + shown_folder;
  }
  if (code == syscode::oserr::kDiskFull) return u"the disk is full";
  return Text();
#endif
}

}  // namespace

bool MachinePress(const Options& options, syscode::PressFacts* press) {
  // Every WMI query runs in a COM apartment of the calling thread, as in the window.
  wmi::ComApartment apartment;
  syscode::WmiHardwareSources sources;
  DetailRecorder recorder(*press);
  sources.SetObserver(&recorder);
  syscode::NullLog no_log;
  std::unique_ptr<syscode::DiagnosticLog> file_log;
  if (options.log) file_log = std::make_unique<syscode::DiagnosticLog>(syscode::SystemFileSystem(), *options.log);
  syscode::LogSink& log = file_log ? static_cast<syscode::LogSink&>(*file_log) : no_log;

  // A newly opened window: a fresh assembly, ExistItem 0.
  syscode::CodeAssembly assembly(sources, log);
  assembly.SetTrace(&press->trace);
  try {
    press->code = assembly.GetSystemCode();
  } catch (const syscode::FileError& e) {
    // The press ends at the line that failed, as in the window. The message
    // is the window's, after the file's name, then what the file system says.
    Text message = *options.log + u": " + syscode::ErrorDisplayText(e.Message());
    if (const Text reason = RealReason(*options.log, e.Code()); !reason.empty()) message += u" (" + reason + u")";
    ReportError(message);
    return false;
  }
  press->mask = assembly.ExistItem();
  return true;
}

int RunMachine(const Options& options) {
  syscode::PressFacts press;
  if (!MachinePress(options, &press)) return kExitFailure;
  // Sources this user could not read (some need root on Linux): see access_hint.h.
  const auto unreadable = syscode::UnreadableSources();
  if (options.json) {
    syscode::Json json = {{"schema", syscode::kJsonSchema}};
    json.update(syscode::PressJson(press));
    json["access"] = AccessJson(press.trace, unreadable);
    WriteOutUtf8(syscode::JsonText(json) + "\n");
  } else if (options.sources) {
    WriteOut(SourcesText(press, AccessRootHint(unreadable)));
    WriteErr(AccessNote(press.trace, unreadable, true));
  } else {
    WriteOut(press.code + u"\n");
    WriteErr(AccessNote(press.trace, unreadable, false));
  }
  return kExitOk;
}

}  // namespace cli
