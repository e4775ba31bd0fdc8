// What syscode-cli prints about a press and about a query, as text and as
// JSON. The press's explanation and its JSON come from the engine
// (syscode/press_report.h), so the library prints the same objects.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "syscode/press_report.h"
#include "base/text.h"

namespace app::cli {

using syscode::Text;

// Whether an empty source (index) was empty because reading it needs root.
using RootHint = std::function<bool(int source)>;

// "Code: ... (source mask 0x19)", then for each source its log line (label
// and raw value, control characters escaped), then the part it gave or why
// none; an empty source for which `root_hint` says so gets a hint to run as
// root.
Text SourcesText(const syscode::PressFacts& press, const RootHint& root_hint = nullptr);

// A query result table as aligned columns, one row a line, control
// characters escaped.
Text TableText(const std::vector<std::vector<Text>>& table);

// What the table's text cannot say: the CIM type of each column (index as in
// the header row; cell 0, "Instance", has none), and which cells hold a null
// value (by row and column), when known.
struct ColumnTypes {
  std::vector<std::optional<std::int32_t>> types;
  std::vector<std::vector<bool>> nulls;
};

// {"schema", "query", "namespace", "server", "result", "instance_count",
//  "error", "columns", "rows"}: see docs/cli.md.
syscode::Json QueryJson(const Text& query, const Text& name_space, const Text& server, int result, int instance_count,
                        const Text& error_text, const std::vector<std::vector<Text>>& table, const ColumnTypes& types);

}  // namespace app::cli
