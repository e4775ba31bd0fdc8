// --from-log: the codes the presses of a diagnostic log give. Reads the file
// and writes nothing but standard output and standard error.
#include <string>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/log_decoder.h"

namespace cli {

namespace {

Text LineNumber(int line) { return syscode::DecimalText(static_cast<long long>(line)); }

PressReport ReportOf(const syscode::RecordedPress& press) {
  syscode::ReplayResult replay = syscode::ReplayPress(press.values);
  return {replay.code, replay.mask, replay.trace};
}

}  // namespace

void ReportError(const Text& text) { WriteErr(u"syscode-cli: " + text + u"\n"); }

int RunFromLog(const Options& options) {
  const Text& file = *options.from_log;
  std::string bytes;
  Text reason;
  if (!ReadWholeFile(file, &bytes, &reason)) {
    ReportError(file + u": " + reason);
    return kExitFailure;
  }
  syscode::DecodedLog log;
  try {
    log = syscode::DecodeDiagnosticLog(bytes);
  } catch (const syscode::LogFormatError& e) {
    ReportError(file + u":" + LineNumber(e.Line()) + u": " + e.Reason());
    return kExitFailure;
  }
  // Everything is checked before anything is printed.
  for (const auto& skipped : log.incomplete) {
    ReportError(file + u":" + LineNumber(skipped.first_line) + u"-" + LineNumber(skipped.last_line) +
                u": incomplete press skipped (" + skipped.reason + u")");
  }
  if (log.presses.empty()) ReportError(file + u": no complete press in the log");

  if (options.json) {
    nlohmann::ordered_json presses = nlohmann::ordered_json::array();
    for (const auto& press : log.presses) {
      nlohmann::ordered_json entry = PressJson(ReportOf(press), RawOrigin::kLogBytes);
      entry["line"] = press.first_line;
      presses.push_back(std::move(entry));
    }
    WriteOutUtf8(presses.dump(2) + "\n");
    return kExitOk;
  }
  Text out;
  for (const auto& press : log.presses) {
    const PressReport report = ReportOf(press);
    if (options.sources) {
      out += u"Press at line " + LineNumber(press.first_line) + u"\n" +
             SourcesText(report, RawOrigin::kLogBytes) + u"\n";
    } else {
      out += report.code + u"\n";
    }
  }
  WriteOut(out);
  return kExitOk;
}

}  // namespace cli
