#include "app/cli/report.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "app/cli/console.h"
#include "syscode/hardware_sources.h"
#include "wmi/variant.h"

namespace app::cli {

namespace {

using syscode::kSources;
using syscode::ToUtf8;

std::size_t Width(const Text& text) {
  // Characters, not code units: a surrogate pair is one character.
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

// A cell as JSON: null for a null value, integers as numbers and booleans as
// true/false by the column's CIM type; anything that does not read back as
// that type stays text.
// `type` is -1 when unknown.
syscode::Json TypedCell(const Text& cell, std::int32_t type, bool null) {
  using syscode::Json;
  const std::string text = ToUtf8(cell);
  if (null && cell == u"NULL") return nullptr;
  switch (type) {
    case 11:  // boolean
      if (cell == u"True") return true;
      if (cell == u"False") return false;
      return text;
    case 16:    // sint8
    case 2:     // sint16
    case 3:     // sint32
    case 20: {  // sint64
      if (text.empty() || text.find('|') != std::string::npos) return text;
      char* end = nullptr;
      errno = 0;
      const long long v = std::strtoll(text.c_str(), &end, 10);
      if (errno != 0 || *end != '\0') return text;
      return v;
    }
    case 17:    // uint8
    case 18:    // uint16
    case 19:    // uint32
    case 21: {  // uint64
      if (text.empty() || text[0] == '-' || text.find('|') != std::string::npos) return text;
      char* end = nullptr;
      errno = 0;
      const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
      if (errno != 0 || *end != '\0') return text;
      return v;
    }
    default: return text;
  }
}

}  // namespace

Text SourcesText(const syscode::PressFacts& press, const RootHint& root_hint) {
  Text out = u"Code: " + press.code + u" (source mask " + syscode::MaskText(press.mask) + u")\n";
  for (int source = 0; source < syscode::kSourceCount; ++source) {
    const syscode::SourceTrace& s = press.trace.sources[source];
    const syscode::SourceExplanation why = syscode::ExplainSource(press, source);
    if (!s.read) {
      out += Text(kSources[source].label) + u"(" + why.text + u")\n";
      continue;
    }
    Text text = why.text;
    // An unreadable board serial reaches the report as "NULL" (its reader has no null-word test).
    if ((s.raw.empty() || s.raw == u"NULL") && root_hint && root_hint(source)) {
      text += u" (it could not be read without root rights: run syscode-cli as root, e.g. with sudo)";
    }
    out += Text(kSources[source].label) + Printable(syscode::ShownRaw(s.raw, press.from_log)) + u"\n";
    out += u"    " + Printable(text) + u"\n";
  }
  return out;
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

syscode::Json QueryJson(const Text& query, const Text& name_space, const Text& server, int result, int instance_count,
                        const Text& error_text, const std::vector<std::vector<Text>>& table, const ColumnTypes& types) {
  using syscode::Json;
  Json columns = Json::array();
  Json rows = Json::array();
  // A failed query gives no table: what it stored before failing is not a
  // result anyone should read as values.
  if (result >= 0 && !table.empty()) {
    const std::vector<Text>& header = table[0];
    for (std::size_t i = 1; i < header.size(); ++i) {
      const std::optional<std::int32_t> type = i < types.types.size() ? types.types[i] : std::nullopt;
      Json cim_type = nullptr;
      if (type.has_value()) cim_type = type.value();
      columns.push_back({{"name", ToUtf8(header[i])}, {"cim_type", std::move(cim_type)}});
    }
    for (std::size_t r = 1; r < table.size(); ++r) {
      const std::vector<Text>& row = table[r];
      // A row whose instance was never delivered holds only empty cells.
      if (row.empty() || row[0].empty()) continue;
      Json values = Json::object();
      Json texts = Json::object();
      for (std::size_t i = 1; i < header.size() && i < row.size(); ++i) {
        const std::int32_t type = i < types.types.size() ? types.types[i].value_or(-1) : -1;
        const bool null = r < types.nulls.size() && i < types.nulls[r].size() && types.nulls[r][i];
        values[ToUtf8(header[i])] = TypedCell(row[i], type, null);
        texts[ToUtf8(header[i])] = ToUtf8(row[i]);
      }
      rows.push_back(
          {{"instance", static_cast<long long>(r)}, {"values", std::move(values)}, {"text", std::move(texts)}});
    }
  }
  return {{"schema", syscode::kJsonSchema},
          {"query", ToUtf8(query)},
          {"namespace", ToUtf8(name_space)},
          {"server", ToUtf8(server)},
          {"result", result},
          {"instance_count", instance_count},
          {"error", result < 0 ? Json(ToUtf8(error_text)) : Json(nullptr)},
          {"columns", std::move(columns)},
          {"rows", std::move(rows)}};
}

}  // namespace app::cli
