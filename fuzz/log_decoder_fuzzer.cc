// The log decoder over arbitrary bytes: it either refuses the log with a
// line number inside the file, or every press it returns replays through the
// derivation to a 4- or 25-character code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "syscode/log_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const syscode::DecodedLog log = syscode::DecodeDiagnosticLog(bytes);
    for (const auto& press : log.presses) {
      const syscode::ReplayResult replay = syscode::ReplayPress(press.values);
      if (replay.status != syscode::ReplayResult::Status::kOk) std::abort();
      if (replay.code.size() != 4 && replay.code.size() != 25) std::abort();
      if (press.first_line < 1) std::abort();
    }
  } catch (const syscode::LogFormatError& e) {
    if (e.Line() < 1 || static_cast<std::size_t>(e.Line()) > size + 1) std::abort();
  }
  return 0;
}
