#include "app/cli/report.h"

#include <algorithm>

#include "syscode/hardware_sources.h"

namespace cli {

namespace {

using syscode::kSources;

constexpr std::size_t kPartLength = 7;

bool IsValidUtf8(const std::string& bytes) { return syscode::ToUtf8(syscode::FromUtf8(bytes)) == bytes; }

Text ShownRaw(const Text& raw, RawOrigin origin) {
  if (origin == RawOrigin::kText) return raw;
  std::string bytes;
  for (char16_t c : raw) bytes.push_back(static_cast<char>(c));
  return IsValidUtf8(bytes) ? syscode::FromUtf8(bytes) : raw;
}

// Control characters as escapes, so a value with a line break stays on its line.
Text Printable(const Text& text) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  Text out;
  for (char16_t c : text) {
    if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 32 || c == 127) {
      out += u"\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool Used(const PressReport& press, int source) {
  return press.trace.sources[source].part.has_value() && !press.trace.body_emptied;
}

Text Count(std::size_t n) { return syscode::DecimalText(static_cast<unsigned long long>(n)); }

// Why a source gave no part, or what became of its part.
Text Outcome(const PressReport& press, int source, const RootHint& root_hint) {
  const syscode::SourceTrace& s = press.trace.sources[source];
  if (!s.read) return u"not read: three parts were already in hand";
  if (s.part) {
    if (Used(press, source)) return u"part " + *s.part;
    return u"part " + *s.part +
           u", not used: collection reached DiskDriveSignature, so the body was emptied";
  }
  if (s.raw.empty()) {
    Text why = u"no part: empty";
    if (root_hint && root_hint(source)) {
      why += u" (it could not be read without root rights: run syscode-cli as root, e.g. with sudo)";
    }
    return why;
  }
  const Text normalized = syscode::CodeAssembly::NormalizeIdentifier(s.raw);
  return u"no part: too short (" + Count(normalized.size()) + u" letters and digits, " + Count(kPartLength) +
         u" needed)";
}

std::size_t Width(const Text& text) {
  // Characters, not code units: a surrogate pair is one character.
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
                                                [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

}  // namespace

Text MaskText(std::uint8_t mask) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  return Text(u"0x") + kHex[mask >> 4] + kHex[mask & 15];
}

Text SourcesText(const PressReport& press, RawOrigin origin, const RootHint& root_hint) {
  Text out = u"Code: " + press.code + u" (source mask " + MaskText(press.mask) + u")\n";
  for (int source = 0; source < syscode::kSourceCount; ++source) {
    const syscode::SourceTrace& s = press.trace.sources[source];
    if (!s.read) {
      out += Text(kSources[source].label) + u"(" + Outcome(press, source, nullptr) + u")\n";
      continue;
    }
    out += Text(kSources[source].label) + Printable(ShownRaw(s.raw, origin)) + u"\n";
    out += u"    " + Outcome(press, source, root_hint) + u"\n";
  }
  return out;
}

nlohmann::ordered_json PressJson(const PressReport& press, RawOrigin origin) {
  using json = nlohmann::ordered_json;
  json sources = json::array();
  for (int source = 0; source < syscode::kSourceCount; ++source) {
    const syscode::SourceInfo& info = kSources[source];
    const syscode::SourceTrace& s = press.trace.sources[source];
    sources.push_back({
        {"name", syscode::ToUtf8(info.name)},
        {"label", syscode::ToUtf8(info.label)},
        {"class", syscode::ToUtf8(info.wmi_class)},
        {"property", syscode::ToUtf8(info.property)},
        {"read", s.read},
        {"raw", s.read ? json(syscode::ToUtf8(ShownRaw(s.raw, origin))) : json(nullptr)},
        {"part", s.part ? json(syscode::ToUtf8(*s.part)) : json(nullptr)},
        {"used", Used(press, source)},
    });
  }
  return {{"code", syscode::ToUtf8(press.code)},
          {"mask", syscode::ToUtf8(MaskText(press.mask))},
          {"sources", std::move(sources)}};
}

Text TableText(const std::vector<std::vector<Text>>& table) {
  std::vector<std::size_t> widths;
  for (const auto& row : table) {
    if (widths.size() < row.size()) widths.resize(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(Printable(row[i])));
  }
  Text out;
  for (const auto& row : table) {
    Text line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const Text cell = Printable(row[i]);
      line += cell;
      if (i + 1 < row.size()) line += Text(widths[i] - Width(cell) + 2, u' ');
    }
    out += line + u"\n";
  }
  return out;
}

nlohmann::ordered_json QueryJson(int result, int instance_count, const Text& error_text,
                         const std::vector<std::vector<Text>>& table) {
  using json = nlohmann::ordered_json;
  json rows = json::array();
  for (const auto& row : table) {
    json cells = json::array();
    for (const Text& cell : row) cells.push_back(syscode::ToUtf8(cell));
    rows.push_back(std::move(cells));
  }
  return {{"result", result},
          {"instance_count", instance_count},
          {"error", result < 0 ? json(syscode::ToUtf8(error_text)) : json(nullptr)},
          {"table", std::move(rows)}};
}

}  // namespace cli
