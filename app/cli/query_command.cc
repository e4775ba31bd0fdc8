// --query: one WMI request's result table, as text or as JSON with typed
// cells.
#include <cstdint>
#include <memory>

#include "app/cli/commands.h"
#include "app/cli/console.h"
#include "app/cli/report.h"
#include "base/errors.h"
#include "wmi/com_apartment.h"
#include "wmi/ole_error.h"
#include "wmi/strutil.h"
#include "wmi/wbem_scripting_tlb.h"
#include "wmi/wmiquery.h"

namespace app::cli {

namespace {

// The CIM type of each property of the first instance the same request
// delivers, by column (cell 0 has none), and which values are null, by row
// and column. The table holds text only, and the JSON gives numbers,
// booleans and nulls as such; this second request reads what the text
// cannot tell. Any failure gives no types, and the cells stay text.
ColumnTypes QueryColumnTypes(const Options& options) {
  using namespace wmi;
  ComRuntime& runtime = PlatformComRuntime();
  ColumnTypes out;
  try {
    TSWbemLocator locator(nullptr, runtime);
    std::shared_ptr<ISWbemServices> services =
        locator.ConnectServer(options.server, options.name_space, Text(), Text(), Text(), Text(), 0, nullptr);
    std::shared_ptr<ISWbemObjectSet> objects;
    const Text& request = *options.query;
    const wmi::HRESULT hr =
        request.starts_with(u"SELECT")
            ? services->ExecQuery(request, u"WQL", kWbemFlagReturnImmediately, nullptr, &objects)
            : services->InstancesOf(request, kWbemFlagReturnImmediately | kWbemQueryFlagShallow, nullptr, &objects);
    if (Failed(hr) || !objects) return {};
    std::shared_ptr<IUnknownObject> unknown;
    std::shared_ptr<IEnumVariant> instances;
    if (Failed(objects->NewEnum(&unknown)) || Failed(QueryAs(unknown, &instances)) || !instances) return {};
    out.nulls.emplace_back();  // the header row
    Variant item;
    std::uint32_t fetched = 0;
    while (instances->Next(1, &item, &fetched) == kS_OK) {
      std::shared_ptr<ISWbemObject> instance;
      std::shared_ptr<ISWbemPropertySet> properties;
      std::shared_ptr<IEnumVariant> walk;
      std::vector<bool>& nulls = out.nulls.emplace_back(1, false);
      const bool first = out.nulls.size() == 2;
      if (first) out.types.push_back(std::nullopt);  // "Instance"
      if (item.type != VarType::kObject || item.is_array || Failed(QueryAs(item.object, &instance)) || !instance ||
          Failed(instance->Properties(&properties)) || !properties || Failed(properties->NewEnum(&unknown)) ||
          Failed(QueryAs(unknown, &walk)) || !walk) {
        return {};
      }
      item = Variant();
      Variant entry;
      while (walk->Next(1, &entry, &fetched) == kS_OK) {
        std::shared_ptr<ISWbemProperty> property;
        std::int32_t type = 0;
        Variant value;
        const bool ok =
            entry.type == VarType::kObject && !entry.is_array && !Failed(QueryAs(entry.object, &property)) && property;
        nulls.push_back(ok && !Failed(property->Value(&value)) && value.type == VarType::kNull);
        if (first) {
          if (ok && !Failed(property->CIMType(&type))) {
            out.types.push_back(type);
          } else {
            out.types.push_back(std::nullopt);
          }
        }
        entry = Variant();
      }
    }
  } catch (...) {
    out = {};
  }
  ClearThreadErrorInfo();
  return out;
}

}  // namespace

int RunQuery(const Options& options) {
  wmi::ComApartment apartment;
  wmi::T2DimStrArray table;
  std::int32_t instance_count = 0;
  Text error_text;
  const std::int32_t result = wmi::QueryWmiTable(options.server, options.name_space, Text(), Text(), *options.query,
                                                 table, instance_count, error_text);
  if (options.json) {
    const ColumnTypes types = result > 0 ? QueryColumnTypes(options) : ColumnTypes();
    WriteOutUtf8(syscode::JsonText(QueryJson(*options.query, options.name_space, options.server, result, instance_count,
                                             error_text, table, types)) +
                 "\n");
  } else if (result > 0) {
    WriteOut(TableText(table));
  } else if (result == 0) {
    ReportError(*options.query + u": no instance");
  }
  if (result < 0) {
    ReportError(u"query " + *options.query + u" failed" +
                (error_text.empty() ? Text() : u": " + syscode::ErrorDisplayText(error_text)));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace app::cli
