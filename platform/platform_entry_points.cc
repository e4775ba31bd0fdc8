// The entry points that run on the platform's runtime. wmi/ declares them
// beside the explicit-runtime forms they call; they are defined here, in the
// layer that provides PlatformComRuntime, so wmi/ never calls up into it and
// a program using only the explicit-runtime forms (the tests, the
// benchmarks) does not need the platform's runtime.
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
