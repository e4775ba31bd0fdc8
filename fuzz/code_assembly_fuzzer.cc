// The derivation over arbitrary raw values: whatever the hardware reports,
// the code is 4 or 25 characters of 0-9 and A-Z, its first digit is one the
// sources 1 to 3 can make, and position 24 is the third part's last
// character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fakes/fake_sources.h"
#include "syscode/code_assembly.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input is split into seven values at 0xFF bytes; each byte pair
  // is one UTF-16 code unit so that every character can appear.
  std::array<syscode::Text, 7> values;
  std::size_t index = 0;
  for (std::size_t i = 0; i < size && index < 7; ++i) {
    if (data[i] == 0xFF) {
      ++index;
      continue;
    }
    char16_t c = data[i];
    if (i + 1 < size && data[i] >= 0x80) {
      c = static_cast<char16_t>((data[i] << 8) | data[i + 1]);
      ++i;
    }
    values[index].push_back(c);
  }
  fakes::FixedSources sources(values);
  fakes::MemoryLog log;
  syscode::PressTrace trace;
  syscode::CodeAssembly assembly(sources, log);
  assembly.SetTrace(&trace);
  for (int press = 0; press < 2; ++press) {
    const syscode::Text code = assembly.GetSystemCode();
    if (code.size() != 4 && code.size() != 25) std::abort();
    for (char16_t c : code) {
      if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))) std::abort();
    }
    if (syscode::Text(u"012389AB").find(code[0]) == syscode::Text::npos) std::abort();
    if (code.size() == 25) {
      int parts = 0;
      for (const auto& s : trace.sources) {
        if (s.part && ++parts == 3 && code[23] != s.part->back()) std::abort();
      }
    }
    if (log.lines.empty() || log.lines.back() != syscode::kLogSeparator) std::abort();
  }
  return 0;
}
