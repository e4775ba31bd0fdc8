// The commands of syscode-cli. Each returns the process's exit status and
// writes its own output and error messages.
#pragma once

#include <string>
#include <vector>

#include "app/cli/options.h"
#include "syscode/log_decoder.h"
#include "syscode/press_report.h"

namespace app::cli {

// --from-log FILE... (with --sources or --json for the details of each press).
int RunFromLog(const Options& options);

// --check CODE [--from-log FILE...].
int RunCheck(const Options& options);

// This machine's code, through the WMI readers (--sources, --json, --log).
int RunMachine(const Options& options);

// --query CLASS_OR_WQL.
int RunQuery(const Options& options);

// Reads a log named on the command line ("-" is standard input). Reports on
// standard error, with the file's name, why it cannot be read.
bool ReadLog(const Text& file, std::string* bytes);

// Reports on standard error a decoded log's encoding note, every bad stretch
// and every press skipped, in line order, each with the file's name and
// lines, and a log without a complete press.
void ReportLogNotes(const Text& file, const syscode::DecodedLog& log);

// The name a message shows for a log: "(standard input)" for "-".
Text ShownName(const Text& file);

// This machine's first press, with what each reader saw. Writes the press's
// lines to the --log file when one is given. Returns false, after reporting
// the error, when a log line could not be written.
bool MachinePress(const Options& options, syscode::PressFacts* press);

}  // namespace app::cli
