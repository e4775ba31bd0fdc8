// The commands of syscode-cli. Each returns the process's exit status and
// writes its own output and error messages.
#pragma once

#include <vector>

#include "app/cli/options.h"
#include "syscode/log_decoder.h"
#include "syscode/press_report.h"

namespace cli {

// --from-log FILE... (with --sources or --json for the details of each press).
int RunFromLog(const Options& options);

// --check CODE [--from-log FILE...].
int RunCheck(const Options& options);

// This machine's code, through the WMI readers (--sources, --json, --log).
int RunMachine(const Options& options);

// --query CLASS_OR_WQL.
int RunQuery(const Options& options);

// A log read and decoded; "-" names standard input.
struct LoadedLog {
  Text file;
  syscode::DecodedLog log;
};

// Reads and decodes every file in turn. Reports on standard error a file
// that cannot be read, and for each log its encoding note, every bad stretch
// and every press skipped, each with the file's name and lines. Returns
// false when a file could not be read (the others are still loaded).
bool LoadLogs(const std::vector<Text>& files, std::vector<LoadedLog>* logs);

// This machine's first press, with what each reader saw. Writes the press's
// lines to the --log file when one is given. Returns false, after reporting
// the error, when a log line could not be written.
bool MachinePress(const Options& options, syscode::PressFacts* press);

}  // namespace cli
