// --from-log: the codes the presses of diagnostic logs give. Reads the files
// and writes nothing but standard output and standard error.
#include <new>
#include <string>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/log_decoder.h"

namespace app::cli {

namespace {

Text Number(long long n) { return syscode::DecimalText(n); }

Text Lines(int first, int last) { return first == last ? Number(first) : Number(first) + u"-" + Number(last); }

}  // namespace

Text ShownName(const Text& file) { return file == u"-" ? Text(u"(standard input)") : file; }

bool ReadLog(const Text& file, std::string* bytes) {
  Text reason;
  if (ReadLogFile(file, bytes, &reason)) return true;
  ReportError(ShownName(file) + u": " + reason);
  return false;
}

void ReportLogNotes(const Text& file, const syscode::DecodedLog& log) {
  const Text name = ShownName(file);
  if (log.encoding != syscode::LogEncoding::kAnsi) {
    ReportError(name + u": the file is " + syscode::EncodingName(log.encoding) +
                u", not the ANSI text the program writes (saved again by an editor?); read from its characters");
  }
  // Problems and skipped presses in the order of their lines.
  std::size_t p = 0;
  std::size_t i = 0;
  while (p < log.problems.size() || i < log.incomplete.size()) {
    const bool problem_first = i >= log.incomplete.size() ||
                               (p < log.problems.size() && log.problems[p].first_line <= log.incomplete[i].first_line);
    if (problem_first) {
      const syscode::LogProblem& x = log.problems[p++];
      ReportError(name + u":" + Lines(x.first_line, x.last_line) + u": " + x.reason);
    } else {
      const syscode::IncompletePress& x = log.incomplete[i++];
      ReportError(name + u":" + Lines(x.first_line, x.last_line) + u": incomplete press skipped (" + x.reason + u")");
    }
  }
  if (log.unreported > 0) {
    ReportError(name + u": " + Number(static_cast<long long>(log.unreported)) +
                u" more bad stretches or incomplete presses not listed");
  }
  if (log.press_count == 0) ReportError(name + u": no complete press in the log");
}

int RunFromLog(const Options& options) {
  const bool several = options.files.size() > 1;
  bool all_read = true;
  bool any_press = false;
  bool any_problem = false;
  bool any_json = false;
  for (const Text& file : options.files) {
    std::string bytes;
    if (!ReadLog(file, &bytes)) {
      all_read = false;
      continue;
    }
    // Presses are printed as they are decoded: a large log's presses are
    // never all in memory at once.
    syscode::DecodedLog log;
    try {
      if (options.json) {
        // One file: its object; several: an array of them, in the order given.
        if (several) WriteOutUtf8(any_json ? ",\n  " : "[\n  ");
        any_json = true;
        log = syscode::WriteLogJson(bytes, file, several ? 2 : 0, WriteOutUtf8);
        if (!several) WriteOutUtf8("\n");
      } else {
        const Text where = several ? Printable(file) + u":" : Text();
        log = syscode::ReadDiagnosticLog(bytes, [&](syscode::RecordedPress& press) {
          const syscode::PressFacts facts = syscode::FactsOfRecordedPress(press);
          const Text lines = u"lines " + Lines(press.first_line, press.last_line);
          if (options.sources) {
            WriteOut(u"Press at " + where + lines + u"\n" + SourcesText(facts) + u"\n");
          } else {
            WriteOut(facts.code + u"  " + where + lines + u"\n");
          }
        });
      }
    } catch (const std::bad_alloc&) {
      ReportError(ShownName(file) + u": out of memory while decoding it");
      all_read = false;
      continue;
    }
    ReportLogNotes(file, log);
    any_press = any_press || log.press_count > 0;
    any_problem = any_problem || !log.problems.empty();
  }
  if (options.json && several) WriteOutUtf8(any_json ? "\n]\n" : "[]\n");
  if (!all_read || !any_press) return kExitFailure;
  if (options.strict && any_problem) {
    ReportError(u"--strict: a log has bad stretches");
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace app::cli
