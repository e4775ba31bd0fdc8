// The entry points that run on the platform's runtime. They live in a file
// of their own so that a program using only the explicit-runtime forms (the
// tests, the benchmarks) does not need PlatformComRuntime.
#include "wmi/com_runtime.h"
#include "wmi/property_text.h"
#include "wmi/wmiquery.h"

namespace wmi {

Text WmiPropertyText(ISWbemProperty& property) { return WmiPropertyText(property, PlatformComRuntime()); }

std::int32_t QueryWmiTable(const Text& server, const Text& name_space, const Text& user, const Text& password,
                           const Text& class_or_query, T2DimStrArray& table, std::int32_t& instance_count,
                           Text& error_text) {
  return QueryWmiTable(PlatformComRuntime(), server, name_space, user, password, class_or_query, table, instance_count,
                       error_text);
}

}  // namespace wmi
