// One WMI request (a class enumeration or a WQL query) whose instances come
// back as a table of text.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "wmi/com_runtime.h"
#include "wmi/strutil.h"

namespace wmi {

// Runs one request on `server` in `name_space` as `user`/`password` (empty:
// the caller's own credentials). `class_or_query` is a WQL query when it
// begins with "SELECT" exactly (case included, nothing before it), otherwise
// the name of a class whose own instances (not its subclasses') are
// enumerated. Every call creates, connects and frees its own locator.
//
// At the start `table` is emptied, `instance_count` set to 0 and
// `error_text` emptied. Then `instance_count` receives the set's Count, and
// the table, shaped by the first instance walked (n properties), gets
// instance_count + 1 rows of n + 1 cells: row 0 "Instance" and the property
// names, row r the number r and the value texts (WmiPropertyText) of the
// r-th instance. Values outside that shape are not stored.
//
// Returns the property count of the last instance walked, 0 when none was
// walked, or -1 when the request failed; `error_text` then holds the
// failure's trimmed message (possibly empty), and the instance count and
// table keep what had been stored. Only a failure to create the locator
// wrapper itself escapes as an exception.
std::int32_t QueryWmiTable(ComRuntime& runtime, const Text& server, const Text& name_space, const Text& user,
                           const Text& password, const Text& class_or_query, T2DimStrArray& table,
                           std::int32_t& instance_count, Text& error_text);

// The same on the platform's runtime (PlatformComRuntime()).
std::int32_t QueryWmiTable(const Text& server, const Text& name_space, const Text& user, const Text& password,
                           const Text& class_or_query, T2DimStrArray& table, std::int32_t& instance_count,
                           Text& error_text);

}  // namespace wmi
