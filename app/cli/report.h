// What syscode-cli prints about a press and about a query: as text and as
// JSON.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <nlohmann/json.hpp>

#include "syscode/code_assembly.h"
#include "syscode/text.h"

namespace cli {

using syscode::Text;

struct PressReport {
  Text code;
  std::uint8_t mask = 0;       // ExistItem after the press
  syscode::PressTrace trace;   // what the press did with each source
};

// How a raw value is shown: values read back from a log are bytes taken as
// Latin-1; they are shown as UTF-8 when they are valid UTF-8.
enum class RawOrigin { kText, kLogBytes };

// "0x19".
Text MaskText(std::uint8_t mask);

// Whether an empty source (index) was empty because reading it needs root.
using RootHint = std::function<bool(int source)>;

// For each source: its log line (label and raw value), then the part it gave
// or why none; an empty source for which `root_hint` says so gets a hint to
// run as root.
Text SourcesText(const PressReport& press, RawOrigin origin, const RootHint& root_hint = nullptr);

// {"code", "mask", "sources": [{"name", "label", "class", "property", "read",
// "raw", "part", "used"}, ...]} with all seven sources in order. "raw" is null
// for a source not read; "used" tells whether the part went into the code.
nlohmann::ordered_json PressJson(const PressReport& press, RawOrigin origin);

// A query result table as aligned columns, one row a line.
Text TableText(const std::vector<std::vector<Text>>& table);

// {"result": n, "instance_count": c, "error": text or null, "table": rows}.
nlohmann::ordered_json QueryJson(int result, int instance_count, const Text& error_text,
                         const std::vector<std::vector<Text>>& table);

}  // namespace cli
