// --from-log: the codes the presses of diagnostic logs give. Reads the files
// and writes nothing but standard output and standard error.
#include <new>
#include <string>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/log_decoder.h"

namespace cli {

namespace {

Text Number(long long n) { return syscode::DecimalText(n); }

Text Lines(int first, int last) { return first == last ? Number(first) : Number(first) + u"-" + Number(last); }

Text Shown(const Text& file) { return file == u"-" ? Text(u"(standard input)") : file; }

}  // namespace

bool LoadLogs(const std::vector<Text>& files, std::vector<LoadedLog>* logs) {
  bool all_read = true;
  for (const Text& file : files) {
    std::string bytes;
    Text reason;
    if (!ReadLogFile(file, &bytes, &reason)) {
      ReportError(Shown(file) + u": " + reason);
      all_read = false;
      continue;
    }
    LoadedLog loaded{file, {}};
    try {
      loaded.log = syscode::ReadDiagnosticLog(bytes);
    } catch (const std::bad_alloc&) {
      ReportError(Shown(file) + u": out of memory while decoding it");
      all_read = false;
      continue;
    }
    const syscode::DecodedLog& log = loaded.log;
    if (log.encoding != syscode::LogEncoding::kAnsi) {
      ReportError(Shown(file) + u": the file is " + syscode::EncodingName(log.encoding) +
                  u", not the ANSI text the program writes (saved again by an editor?); read from its characters");
    }
    // Problems and skipped presses in the order of their lines.
    std::size_t p = 0;
    std::size_t i = 0;
    while (p < log.problems.size() || i < log.incomplete.size()) {
      const bool problem_first =
          i >= log.incomplete.size() ||
          (p < log.problems.size() && log.problems[p].first_line <= log.incomplete[i].first_line);
      if (problem_first) {
        const syscode::LogProblem& x = log.problems[p++];
        ReportError(Shown(file) + u":" + Lines(x.first_line, x.last_line) + u": " + x.reason);
      } else {
        const syscode::IncompletePress& x = log.incomplete[i++];
        ReportError(Shown(file) + u":" + Lines(x.first_line, x.last_line) + u": incomplete press skipped (" +
                    x.reason + u")");
      }
    }
    if (log.unreported > 0) {
      ReportError(Shown(file) + u": " + Number(static_cast<long long>(log.unreported)) +
                  u" more bad stretches or incomplete presses not listed");
    }
    if (log.presses.empty()) ReportError(Shown(file) + u": no complete press in the log");
    logs->push_back(std::move(loaded));
  }
  return all_read;
}

int RunFromLog(const Options& options) {
  std::vector<LoadedLog> logs;
  const bool all_read = LoadLogs(options.files, &logs);
  bool any_press = false;
  bool any_problem = false;
  for (const LoadedLog& loaded : logs) {
    any_press = any_press || !loaded.log.presses.empty();
    any_problem = any_problem || !loaded.log.problems.empty();
  }

  const bool several = options.files.size() > 1;
  if (options.json) {
    syscode::Json all = syscode::Json::array();
    for (const LoadedLog& loaded : logs) all.push_back(syscode::LogJson(loaded.log, loaded.file));
    // One file: its object; several: an array of them, in the order given.
    if (several) {
      WriteOutUtf8(syscode::JsonText(all) + "\n");
    } else if (!all.empty()) {
      WriteOutUtf8(syscode::JsonText(all[0]) + "\n");
    }
  } else {
    Text out;
    for (const LoadedLog& loaded : logs) {
      const Text where = several ? Printable(Shown(loaded.file)) + u":" : Text();
      for (const syscode::RecordedPress& press : loaded.log.presses) {
        const syscode::PressFacts facts = syscode::FactsOfRecordedPress(press);
        const Text lines = u"lines " + Lines(press.first_line, press.last_line);
        if (options.sources) {
          out += u"Press at " + where + lines + u"\n" + SourcesText(facts) + u"\n";
        } else {
          out += facts.code + u"  " + where + lines + u"\n";
        }
      }
    }
    WriteOut(out);
  }
  if (!all_read || !any_press) return kExitFailure;
  if (options.strict && any_problem) {
    ReportError(u"--strict: a log has bad stretches");
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace cli
