// This machine: its code through the WMI readers, and WMI queries.
#include <cstdint>
#include <memory>

#include "app/cli/access_hint.h"
#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "syscode/errors.h"
#include "syscode/file_system.h"
#include "syscode/readers.h"
#include "syscode/source_access.h"
#include "wmi/strutil.h"
#include "wmi/wmiquery.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace cli {

namespace {

// Every WMI query runs in a COM apartment of the calling thread, as in the
// window; elsewhere there is nothing to set up.
class ComApartment {
 public:
#ifdef _WIN32
  ComApartment() : initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }

 private:
  bool initialized_;
#endif
};

}  // namespace

int RunMachine(const Options& options) {
  [[maybe_unused]] ComApartment apartment;
  syscode::WmiHardwareSources sources;
  syscode::NullLog no_log;
  std::unique_ptr<syscode::DiagnosticLog> file_log;
  if (options.log) file_log = std::make_unique<syscode::DiagnosticLog>(syscode::SystemFileSystem(), *options.log);
  syscode::LogSink& log = file_log ? static_cast<syscode::LogSink&>(*file_log) : no_log;

  // A newly opened window: a fresh assembly, ExistItem 0.
  syscode::CodeAssembly assembly(sources, log);
  PressReport report;
  assembly.SetTrace(&report.trace);
  try {
    report.code = assembly.GetSystemCode();
  } catch (const syscode::FileError& e) {
    // The press ends at the line that failed, as in the window.
    ReportError(syscode::ErrorDisplayText(e.Message()));
    return kExitFailure;
  }
  report.mask = assembly.ExistItem();
  // Sources this user could not read (some need root on Linux): see access_hint.h.
  const auto unreadable = syscode::UnreadableSources();

  if (options.json) {
    auto json = PressJson(report, RawOrigin::kText);
    json["access"] = AccessJson(report.trace, unreadable);
    WriteOutUtf8(json.dump(2) + "\n");
  } else if (options.sources) {
    WriteOut(SourcesText(report, RawOrigin::kText, AccessRootHint(unreadable)));
    WriteErr(AccessNote(report.trace, unreadable, true));
  } else {
    WriteOut(report.code + u"\n");
    WriteErr(AccessNote(report.trace, unreadable, false));
  }
  return kExitOk;
}

int RunQuery(const Options& options) {
  [[maybe_unused]] ComApartment apartment;
  wmi::T2DimStrArray table;
  std::int32_t instance_count = 0;
  Text error_text;
  const std::int32_t result = wmi::QueryWmiTable(options.server, options.name_space, Text(), Text(),
                                                 *options.query, table, instance_count, error_text);
  if (options.json) {
    WriteOutUtf8(QueryJson(result, instance_count, error_text, table).dump(2) + "\n");
  } else if (result > 0) {
    WriteOut(TableText(table));
  } else if (result == 0) {
    WriteErr(u"syscode-cli: " + *options.query + u": no instance\n");
  }
  if (result < 0) {
    ReportError(u"query " + *options.query + u" failed" +
                (error_text.empty() ? Text() : u": " + syscode::ErrorDisplayText(error_text)));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace cli
