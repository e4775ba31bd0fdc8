// This machine's code and WMI queries: filled in when the WMI readers land.
#include "app/cli/commands.h"

namespace cli {

int RunMachine(const Options&) {
  ReportError(u"reading this machine's hardware is not available in this build");
  return kExitFailure;
}

int RunQuery(const Options&) {
  ReportError(u"queries are not available in this build");
  return kExitFailure;
}

}  // namespace cli
