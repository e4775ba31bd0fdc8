// --check CODE: does a customer's code match this machine or a press of
// their logs, and if not, why not.
#include <algorithm>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "syscode/code_check.h"

namespace app::cli {

namespace {

Text Number(long long n) { return syscode::DecimalText(n); }

Text Where(const syscode::CheckCandidate& c, bool several) {
  if (c.first_line == 0) return u"this machine";
  Text where = u"the press at ";
  if (several && c.file) where += Printable(*c.file) + u":";
  return where + u"lines " + Number(c.first_line) + u"-" + Number(c.last_line);
}

int Rank(syscode::CheckVerdict verdict) {
  switch (verdict) {
    case syscode::CheckVerdict::kMatch: return 0;
    case syscode::CheckVerdict::kMaskOnly: return 1;
    case syscode::CheckVerdict::kTypingError: return 2;
    case syscode::CheckVerdict::kDifferent: break;
  }
  return 3;
}

}  // namespace

int RunCheck(const Options& options) {
  Text code;
  Text problem;
  if (!syscode::NormalizeTypedCode(*options.check, &code, &problem)) {
    ReportError(u"--check " + *options.check + u": " + problem + u"\nTry 'syscode-cli --help' for more information.");
    return kExitUsage;
  }
  std::vector<syscode::CheckCandidate> candidates;
  const bool against_log = options.from_log;
  bool all_read = true;
  if (against_log) {
    for (const Text& file : options.files) {
      std::string bytes;
      if (!ReadLog(file, &bytes)) {
        all_read = false;
        continue;
      }
      ReportLogNotes(file, syscode::CandidatesOfLogBytes(bytes, file, &candidates));
    }
  } else {
    syscode::PressFacts press;
    if (!MachinePress(options, &press)) return kExitFailure;
    candidates.push_back({press.code, press.mask, std::nullopt, 0, 0, 0});
  }
  const syscode::CheckResult result = syscode::CheckCode(*options.check, candidates);

  if (options.json) {
    WriteOutUtf8(syscode::JsonText(syscode::CheckJson(result, candidates, against_log)) + "\n");
  } else {
    const bool several = options.files.size() > 1;
    Text out;
    if (candidates.empty()) {
      out += code + u": no match: the logs hold no complete press\n";
    } else if (result.match) {
      for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (result.checks[i].verdict == syscode::CheckVerdict::kMatch) {
          out += code + u": match: " + Where(candidates[i], several) + u"\n";
        }
      }
    } else {
      // The closest explanations first; a plain "different" only when
      // nothing comes closer.
      int best = 3;
      for (const auto& check : result.checks) best = std::min(best, Rank(check.verdict));
      out += code + u": no match\n";
      for (std::size_t i = 0; i < candidates.size(); ++i) {
        const syscode::CandidateCheck& check = result.checks[i];
        if (Rank(check.verdict) != best) continue;
        out +=
            u"  " + Where(candidates[i], several) + u" gives " + candidates[i].code + u": " + check.explanation + u"\n";
      }
    }
    WriteOut(out);
  }
  // A file that could not be read was reported; the answer is about the
  // presses that could.
  (void)all_read;
  return result.match ? kExitOk : kExitFailure;
}

}  // namespace app::cli
