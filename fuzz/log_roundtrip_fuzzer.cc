// The diagnostic log written by the window's presses reads back to the same
// presses: for presses over values made from the input (printable ASCII
// without line breaks, trimmed as readers return them), the decoder finds
// every press with the values the press logged and replays each to the code
// the window showed; a last press cut short by a failed log write is skipped
// as incomplete, never taken as a press.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fakes/fake_sources.h"
#include "syscode/code_assembly.h"
#include "syscode/log_decoder.h"

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

// The log's bytes: every line as ASCII with CR LF.
std::string Bytes(const std::vector<Text>& lines, size_t from) {
  std::string out;
  for (size_t i = from; i < lines.size(); ++i) {
    for (char16_t c : lines[i]) out.push_back(static_cast<char>(c));
    out += "\r\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int presses = in.ConsumeIntegralInRange<int>(1, 3);
  fakes::MemoryLog log;
  std::vector<Text> codes;
  std::vector<size_t> starts;
  for (int p = 0; p < presses; ++p) {
    // Each press in a window of its own: the decoder replays every press as
    // the first press of a new window.
    std::array<Text, syscode::kSourceCount> values;
    for (Text& v : values) v = TakeValue(in);
    fakes::FixedSources sources(values);
    starts.push_back(log.lines.size());
    codes.push_back(syscode::CodeAssembly(sources, log).GetSystemCode());
  }
  // Optionally a last press whose log write failed after `cut` lines.
  const size_t cut = in.ConsumeIntegralInRange<size_t>(0, 3);
  if (cut > 0) {
    std::array<Text, syscode::kSourceCount> values;
    for (Text& v : values) v = TakeValue(in);
    fakes::FixedSources sources(values);
    fakes::MemoryLog partial;
    syscode::CodeAssembly(sources, partial).GetSystemCode();
    for (size_t i = 0; i < cut && i + 1 < partial.lines.size(); ++i) log.lines.push_back(partial.lines[i]);
  }

  const syscode::DecodedLog decoded = syscode::DecodeDiagnosticLog(Bytes(log.lines, 0));
  if (decoded.presses.size() != codes.size()) std::abort();
  for (size_t p = 0; p < codes.size(); ++p) {
    const syscode::RecordedPress& press = decoded.presses[p];
    if (press.first_line != static_cast<int>(starts[p]) + 1) std::abort();
    const syscode::ReplayResult replay = syscode::ReplayPress(press.values);
    if (replay.status != syscode::ReplayResult::Status::kOk || replay.code != codes[p]) std::abort();
  }
  return 0;
}
