// What a press did with each source, and why: the explanation that the
// command line and the library give for a code, as text pieces and as the
// JSON objects they print (one schema, versioned by kJsonSchema).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "syscode/code_assembly.h"
#include "syscode/log_decoder.h"
#include "syscode/readers.h"
#include "base/text.h"

namespace syscode {

// The version of every JSON object printed; raised when a field changes
// meaning or goes away (new fields do not raise it).
inline constexpr int kJsonSchema = 1;

using Json = nlohmann::ordered_json;

// One press: the code, the mask after it and what it did with each source;
// for a press on this machine also what each reader saw.
struct PressFacts {
  Text code;
  std::uint8_t mask = 0;
  PressTrace trace;
  std::array<std::optional<ReaderDetail>, kSourceCount> details;
  bool from_log = false;  // raw values are log bytes taken as Latin-1
};

// The press a log records, replayed as the first press of a new window.
PressFacts FactsOfRecordedPress(const RecordedPress& press);

enum class SourceOutcome {
  kUsed,         // its part went into the code
  kNotUsed,      // it gave a part, but collection reached the last source and the body was emptied
  kNotRead,      // three parts were in hand before it
  kQueryFailed,  // the query failed (the error text says why)
  kNoInstance,   // the class has no instance
  kNoProperty,   // no header cell names the property
  kNull,         // the value is null
  kEmpty,        // the value is empty text
  kTooShort,     // fewer than 7 letters and digits
};

struct SourceExplanation {
  SourceOutcome outcome = SourceOutcome::kEmpty;
  Text text;  // "part 00306A9", "no part: query failed: ...", ...
};

SourceExplanation ExplainSource(const PressFacts& press, int source);

// "used", "not_used", "not_read", "query_failed", "no_instance",
// "no_property", "null", "empty", "too_short".
const char* OutcomeName(SourceOutcome outcome);

// A raw value as shown: log bytes are shown as UTF-8 when they are valid
// UTF-8, else as Latin-1 characters.
Text ShownRaw(const Text& raw, bool from_log);

// "0x19".
Text MaskText(std::uint8_t mask);

// {"code", "mask" (number), "mask_hex", "sources": [...seven...]}.
Json PressJson(const PressFacts& press);

// The object of one decoded log: {"schema", "file", "encoding", "presses",
// "incomplete", "problems", "unreported"}; "file" is null when unknown.
Json LogJson(const DecodedLog& log, const std::optional<Text>& file);

// Decodes a log and writes its object (the one LogJson gives) as JSON text
// in pieces to `out`, each press as soon as it is decoded, so that neither
// the presses nor their JSON pile up in memory. `indent` is where the object
// itself stands (0 at the top level, 2 as an element of an array). Returns
// the decoded log without its presses.
DecodedLog WriteLogJson(std::string_view bytes, const std::optional<Text>& file, int indent,
                        const std::function<void(const std::string&)>& out);

// The JSON text, indented by two, ending without a newline. Besides what
// JSON escapes itself, DEL and the C1 controls (U+007F to U+009F) are
// written as \u escapes, so no control character reaches a terminal.
std::string JsonText(const Json& json);

}  // namespace syscode
