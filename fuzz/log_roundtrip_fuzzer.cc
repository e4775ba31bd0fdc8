// The diagnostic log written by the window's presses reads back to the same
// presses, through the command line's file reader and its outputs: for
// presses over values made from the input (printable ASCII without line
// breaks, trimmed as readers return them), the decoder finds every complete
// press with the values the press logged and replays each to the code the
// window showed; the JSON and the --check of each code agree. A press cut
// short by a failed log write, anywhere among the others, is never taken as
// a press; when its last line was written only in part (a full disk) and
// another press follows, the glued line is reported as a problem.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/cli/console.h"
#include "fakes/fake_sources.h"
#include "syscode/code_assembly.h"
#include "syscode/code_check.h"
#include "syscode/log_decoder.h"
#include "syscode/press_report.h"

namespace {

using syscode::Text;

// A raw value: printable ASCII, no blanks at either end.
Text TakeValue(FuzzedDataProvider& in) {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefxyz -._/:=|#()";
  Text value(in.ConsumeIntegralInRange<size_t>(0, 20), u' ');
  for (char16_t& c : value) {
    c = static_cast<char16_t>(kAlphabet[in.ConsumeIntegralInRange<size_t>(0, sizeof kAlphabet - 2)]);
  }
  const size_t first = value.find_first_not_of(u' ');
  if (first == Text::npos) return Text();
  return value.substr(first, value.find_last_not_of(u' ') - first + 1);
}

std::string Ascii(const Text& line) {
  std::string out;
  for (char16_t c : line) out.push_back(static_cast<char>(c));
  return out;
}

const std::string& TempFile() {
  static const std::string path = [] {
    char name[] = "/tmp/syscode-roundtrip-fuzz-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) std::abort();
    ::close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int presses = in.ConsumeIntegralInRange<int>(1, 3);
  // Optionally a press whose log write failed after `cut` lines, before the
  // press with index `cut_before` (presses == no press follows it).
  const size_t cut = in.ConsumeIntegralInRange<size_t>(0, 3);
  const int cut_before = in.ConsumeIntegralInRange<int>(0, presses);
  const bool partial = in.ConsumeBool();

  std::string bytes;
  std::vector<Text> codes;
  std::vector<int> starts;
  int lines = 0;
  bool glued = false;
  for (int p = 0; p <= presses; ++p) {
    if (cut > 0 && p == cut_before) {
      std::array<Text, syscode::kSourceCount> values;
      for (Text& v : values) v = TakeValue(in);
      fakes::FixedSources sources(values);
      fakes::MemoryLog written;
      syscode::CodeAssembly(sources, written).GetSystemCode();
      const size_t whole = std::min(cut, written.lines.size() - 1);
      for (size_t i = 0; i < whole; ++i) {
        const bool last = i + 1 == whole;
        if (last && partial) {
          // The line's first bytes only, no line end: the next line glues on.
          const std::string line = Ascii(written.lines[i]);
          bytes += line.substr(0, in.ConsumeIntegralInRange<size_t>(1, line.size()));
          glued = p < presses;
          if (!glued) ++lines;
        } else {
          bytes += Ascii(written.lines[i]) + "\r\n";
          ++lines;
        }
      }
    }
    if (p == presses) break;
    // Each press in a window of its own: the decoder replays every press as
    // the first press of a new window.
    std::array<Text, syscode::kSourceCount> values;
    for (Text& v : values) v = TakeValue(in);
    fakes::FixedSources sources(values);
    fakes::MemoryLog log;
    codes.push_back(syscode::CodeAssembly(sources, log).GetSystemCode());
    // A glued line shares its number with this press's first line.
    starts.push_back(lines + 1);
    for (const Text& line : log.lines) bytes += Ascii(line) + "\r\n";
    lines += static_cast<int>(log.lines.size());
  }

  {
    std::FILE* file = std::fopen(TempFile().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    std::fclose(file);
  }
  std::string read;
  Text reason;
  if (!app::cli::ReadLogFile(syscode::FromUtf8(TempFile()), &read, &reason) || read != bytes) std::abort();

  const syscode::DecodedLog decoded = syscode::ReadDiagnosticLog(read);
  if (decoded.presses.size() != codes.size()) std::abort();
  // A glued line is always reported; whole lines never give a problem. (A
  // piece of a line at the very end of the file may read as a stray line.)
  if (glued && decoded.problems.empty()) std::abort();
  if (!partial && !decoded.problems.empty()) std::abort();
  if (!partial && decoded.incomplete.size() != (cut > 0 ? 1u : 0u)) std::abort();
  const syscode::Json json = syscode::Json::parse(syscode::JsonText(syscode::LogJson(decoded, std::nullopt)));
  const std::vector<syscode::CheckCandidate> candidates = syscode::CandidatesOfLog(decoded, std::nullopt);
  for (size_t p = 0; p < codes.size(); ++p) {
    const syscode::RecordedPress& press = decoded.presses[p];
    if (press.first_line != starts[p]) std::abort();
    const syscode::ReplayResult replay = syscode::ReplayPress(press.values);
    if (replay.status != syscode::ReplayResult::Status::kOk || replay.code != codes[p]) std::abort();
    if (json["presses"][p]["code"] != syscode::ToUtf8(codes[p])) std::abort();
    const syscode::CheckResult check = syscode::CheckCode(codes[p], candidates);
    if (!check.match || check.checks[p].verdict != syscode::CheckVerdict::kMatch) std::abort();
  }
  return 0;
}
