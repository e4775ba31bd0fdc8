// syscode-cli: the system code on the command line.
#include <exception>
#include <new>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/options.h"
#include "base/dll_search.h"
#include "base/errors.h"
#include "syscode/version.h"

namespace {

int Run(int argc, char** argv) {
  using namespace cli;
  const ParseResult parsed = ParseCommandLine(CommandLineArguments(argc, argv));
  if (!parsed.error.empty()) {
    ReportError(parsed.error + u"\nTry 'syscode-cli --help' for more information.");
    return kExitUsage;
  }
  const Options& options = parsed.options;
  if (options.help) {
    WriteOut(HelpText());
    return kExitOk;
  }
  if (options.version) {
    WriteOut(u"syscode-cli " + syscode::FromUtf8(SYSCODE_VERSION_STRING) + u"\n");
    return kExitOk;
  }
  if (options.check) return RunCheck(options);
  if (options.from_log) return RunFromLog(options);
  if (options.query) return RunQuery(options);
  return RunMachine(options);
}

}  // namespace

int main(int argc, char** argv) {
  syscode::LoadDllsFromSystem32Only();  // DLLs loaded by name: System32 only (Windows)
  using namespace cli;
  PrepareConsole();
  int status = kExitFailure;
  try {
    status = Run(argc, argv);
  } catch (const std::bad_alloc&) {
    ReportError(u"out of memory");
  } catch (...) {
    ReportError(syscode::ErrorDisplayText(syscode::MessageOf(std::current_exception())));
  }
  // Output that did not arrive is a failure, whatever the command's status.
  Text reason;
  if (!FinishOutput(&reason)) {
    ReportError(u"cannot write the output: " + reason);
    if (status != kExitUsage) status = kExitFailure;
  }
  return status;
}
