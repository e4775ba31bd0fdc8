// The commands of syscode-cli. Each returns the process's exit status and
// writes its own output and error messages.
#pragma once

#include "app/cli/options.h"

namespace cli {

// --from-log FILE (with --sources or --json for the details of each press).
int RunFromLog(const Options& options);

// This machine's code, through the WMI readers (--sources, --json, --log).
int RunMachine(const Options& options);

// --query CLASS_OR_WQL.
int RunQuery(const Options& options);

// "syscode-cli: " + text + "\n" on standard error.
void ReportError(const Text& text);

}  // namespace cli
