// This machine: its code through the WMI readers, and WMI queries.
#include <cstdint>
#include <memory>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "syscode/errors.h"
#include "syscode/file_system.h"
#include "syscode/readers.h"
#include "wmi/strutil.h"
#include "wmi/wmiquery.h"

#ifdef _WIN32
#include <objbase.h>
#else
#include "platform/linux/hardware_classes.h"
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

// On Linux, an ordinary user cannot read some sources (ACPI tables, the board
// serial, the first disk sector); the layer tells these from absent ones.
RootHint LinuxRootHint() {
#ifdef _WIN32
  return nullptr;
#else
  if (!RunsWithoutRoot()) return nullptr;
  return [](int source) {
    const syscode::SourceInfo& info = syscode::kSources[source];
    return wmi::linux_layer::SourceUnreadable(info.wmi_class, info.property,
                                              wmi::linux_layer::LiveMachineSources());
  };
#endif
}

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

  if (options.json) {
    WriteOutUtf8(PressJson(report, RawOrigin::kText).dump(2) + "\n");
  } else if (options.sources) {
    WriteOut(SourcesText(report, RawOrigin::kText, LinuxRootHint()));
  } else {
    WriteOut(report.code + u"\n");
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
