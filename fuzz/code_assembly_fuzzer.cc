// The derivation over arbitrary raw values, press after press in one
// window, checked against a second implementation written here from the
// rules themselves, slowly and plainly (no shared helper of the product):
// the same sources read, the same log lines, the same code, the same mask.
// Besides: the code is 4 or 25 characters of 0-9 and A-Z, its first digit
// is one the sources 1 to 3 can make, and position 24 is the third part's
// last character.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fake_sources.h"
#include "syscode/code_assembly.h"

namespace {

using syscode::Text;

// The sources in the order a press visits them.
struct ModelSource {
  const char16_t* label;
  unsigned bit;
};
constexpr ModelSource kModelSources[7] = {
    {u"CpuId = ", 0x01},
    {u"BiosVersion = ", 0x02},
    {u"BaseBordSerialNumber = ", 0x08},
    {u"HardDiskSerialNumber = ", 0x10},
    {u"BiosName = ", 0x20},
    {u"BaseBordManufacturer = ", 0x40},
    {u"DiskDriveSignature = ", 0x80},
};

// One window of the model: its mask lives as long as the window.
struct ModelWindow {
  unsigned mask = 0;

  struct Press {
    std::vector<int> read;
    std::vector<Text> log;
    Text code;
  };

  Press GetSystemCode(const std::array<Text, 7>& values) {
    Press press;
    Text body;
    int parts = 0;
    bool reached_seventh = false;
    for (int i = 0; i < 7 && parts < 3; ++i) {
      press.read.push_back(i);
      press.log.push_back(Text(kModelSources[i].label) + values[i]);
      if (i == 6) reached_seventh = true;
      // Keep ASCII letters and digits, letters as capitals.
      Text kept;
      for (char16_t c : values[i]) {
        if (c >= u'0' && c <= u'9') kept += c;
        if (c >= u'A' && c <= u'Z') kept += c;
        if (c >= u'a' && c <= u'z') kept += static_cast<char16_t>(c - 32);
      }
      if (kept.size() >= 7) {
        body += kept.substr(kept.size() - 7);
        ++parts;
        mask |= kModelSources[i].bit;
      }
    }
    if (reached_seventh) body.clear();
    // Every block of five reversed; the last block holds what is left.
    Text scrambled;
    for (std::size_t start = 0; start < body.size(); start += 5) {
      const Text block = body.substr(start, 5);
      scrambled += Text(block.rbegin(), block.rend());
    }
    const char16_t* hex = u"0123456789ABCDEF";
    press.code = Text(1, hex[mask & 0xF]) + u"00" + scrambled + Text(1, hex[(mask >> 4) & 0xF]);
    press.log.push_back(Text(50, u'-'));
    return press;
  }
};

[[noreturn]] void Mismatch(const char* what, int press) {
  std::fprintf(stderr, "press %d: %s differs from the model\n", press + 1, what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input is split into values at 0xFF bytes, seven per press; each
  // byte from 0x80 with the next one is one UTF-16 code unit, so that
  // every character can appear. At least two presses; a press without
  // values of its own repeats the last given ones.
  std::vector<std::array<Text, 7>> sets(1);
  std::size_t index = 0;
  for (std::size_t i = 0; i < size && sets.size() <= 4; ++i) {
    if (data[i] == 0xFF) {
      if (++index == 7) {
        index = 0;
        sets.emplace_back();
      }
      continue;
    }
    char16_t c = data[i];
    if (i + 1 < size && data[i] >= 0x80) {
      c = static_cast<char16_t>((data[i] << 8) | data[i + 1]);
      ++i;
    }
    sets.back()[index].push_back(c);
  }
  if (sets.size() > 4) sets.pop_back();

  fakes::FixedSources sources(sets[0]);
  fakes::MemoryLog log;
  syscode::PressTrace trace;
  syscode::CodeAssembly assembly(sources, log);
  assembly.SetTrace(&trace);
  ModelWindow model;
  const int presses = sets.size() < 2 ? 2 : static_cast<int>(sets.size());
  for (int press = 0; press < presses; ++press) {
    const std::array<Text, 7>& values = sets[std::min<std::size_t>(press, sets.size() - 1)];
    sources.values = values;
    sources.calls.clear();
    log.lines.clear();
    const Text code = assembly.GetSystemCode();
    const ModelWindow::Press expected = model.GetSystemCode(values);
    if (sources.calls != expected.read) Mismatch("the sources read", press);
    if (log.lines != expected.log) Mismatch("the log", press);
    if (code != expected.code) Mismatch("the code", press);
    if (assembly.ExistItem() != model.mask) Mismatch("the mask", press);

    if (code.size() != 4 && code.size() != 25) std::abort();
    for (char16_t c : code) {
      if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))) std::abort();
    }
    if (Text(u"012389AB").find(code[0]) == Text::npos) std::abort();
    if (code.size() == 25) {
      int parts = 0;
      for (const auto& s : trace.sources) {
        if (s.part && ++parts == 3 && code[23] != s.part->back()) std::abort();
      }
    }
  }
  return 0;
}
