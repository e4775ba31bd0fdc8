// QueryWmiTable over a fake platform whose class, instance and property
// counts, values, delivered items and failing calls come from the input.
// Whatever the platform does: nothing escapes, a result of -1 comes with
// the error path and any other result with empty error text, the table is
// empty or instance_count + 1 rows of n + 1 cells with "Instance" in the
// corner, a platform that behaves gives its values back, and every object
// the platform handed out has been released when the call returns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_wmi.h"
#include "fuzz_values.h"
#include "wmi/property_text.h"
#include "wmi/wmiquery.h"

namespace {

using fakes::FakeClass;
using fakes::FakeComRuntime;
using fakes::FakeInstance;
using fakes::FakeProperty;
using fakes::Fault;
using syscode::Text;
using wmi::Variant;

const char* const kCalls[] = {"GetActiveObject",
                              "CoCreateInstance",
                              "Locator.QueryInterface",
                              "Locator.ConnectServer",
                              "Services.QueryInterface",
                              "Services.ExecQuery",
                              "Services.InstancesOf",
                              "ObjectSet.QueryInterface",
                              "ObjectSet.Count",
                              "ObjectSet._NewEnum",
                              "ObjectEnum.QueryInterface",
                              "ObjectEnum.Next",
                              "Object.QueryInterface",
                              "Object.Properties_",
                              "PropertySet.QueryInterface",
                              "PropertySet.Count",
                              "PropertySet._NewEnum",
                              "PropertyEnum.QueryInterface",
                              "PropertyEnum.Next",
                              "Property.QueryInterface",
                              "Property.Value",
                              "Property.CIMType",
                              "Property.Name"};

// A count the platform reports in place of the true one: absent, or a
// small number that may be negative or larger than the truth.
std::optional<std::int32_t> TakeReportedCount(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 3) != 0) return std::nullopt;
  return in.ConsumeIntegralInRange<std::int32_t>(-2, 8);
}

// An item delivered in place of an object: a number, text or nothing.
std::optional<Variant> TakeDeliveredAs(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 15) != 0) return std::nullopt;
  return fuzzing::TakeValue(in);
}

struct World {
  bool behaves = true;  // no faults, no odd items, counts true, plain text values
};

FakeProperty TakeProperty(FuzzedDataProvider& in, World& world) {
  FakeProperty p;
  p.name = fuzzing::TakeText(in, 6);
  if (in.ConsumeBool()) {
    p.cim_type = wmi::cim::kString;
    p.value = in.ConsumeIntegralInRange<int>(0, 5) == 0 ? Variant::Null() : Variant::String(fuzzing::TakeText(in, 12));
  } else {
    world.behaves = false;
    p.cim_type = fuzzing::TakeCimType(in);
    p.value = fuzzing::TakeValue(in);
  }
  p.delivered_as = TakeDeliveredAs(in);
  if (p.delivered_as) world.behaves = false;
  return p;
}

void BuildClass(FuzzedDataProvider& in, FakeClass& cls, World& world) {
  cls.instances.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
  cls.reported_count = TakeReportedCount(in);
  if (cls.reported_count) world.behaves = false;
  for (FakeInstance& instance : cls.instances) {
    instance.properties.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
    for (FakeProperty& p : instance.properties) p = TakeProperty(in, world);
    instance.reported_count = TakeReportedCount(in);
    instance.delivered_as = TakeDeliveredAs(in);
    if (instance.reported_count || instance.delivered_as) world.behaves = false;
  }
}

void AddFaults(FuzzedDataProvider& in, FakeComRuntime& runtime, World& world) {
  const int count = in.ConsumeIntegralInRange<int>(0, 3);
  for (int i = 0; i < count; ++i) {
    Fault fault;
    fault.call = kCalls[in.ConsumeIntegralInRange<size_t>(0, std::size(kCalls) - 1)];
    fault.ordinal = in.ConsumeIntegralInRange<int>(1, 4);
    fault.kind = static_cast<Fault::Kind>(in.ConsumeIntegralInRange<int>(0, 3));
    fault.hr = fault.kind == Fault::Kind::kReturnNothing ? wmi::kS_OK : wmi::kE_FAIL;
    fault.description = fuzzing::TakeText(in, 8);
    runtime.AddFault(std::move(fault));
    world.behaves = false;
  }
}

const Text kNamespace = u"root\\CIMV2";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const bool as_query = in.ConsumeBool();
  const Text request = as_query ? Text(u"SELECT * FROM C") : Text(u"C");
  World world;
  {
    FakeComRuntime runtime;
    runtime.record_calls = false;
    FakeClass& cls = as_query ? runtime.Query(request) : runtime.Class(kNamespace, request);
    if (as_query) runtime.AddNamespace(kNamespace);
    BuildClass(in, cls, world);
    AddFaults(in, runtime, world);

    wmi::T2DimStrArray table;
    std::int32_t count = -7;
    Text error = u"stale";
    std::int32_t result = 0;
    try {
      result = wmi::QueryWmiTable(runtime, u".", kNamespace, u"", u"", request, table, count, error);
    } catch (...) {
      std::abort();  // creating the locator wrapper does not reach the platform
    }
    // Other than -1, the result is the property count of the last instance
    // walked, as that instance's set reports it (which may be negative).
    if (result < -1) {
      bool reported = false;
      for (const FakeInstance& instance : cls.instances) reported |= instance.reported_count == result;
      if (!reported) std::abort();
    }
    if (result >= 0 && !error.empty()) std::abort();

    // Shape: empty, or count + 1 rows of one common width.
    if (!table.empty()) {
      if (static_cast<std::int64_t>(table.size()) != static_cast<std::int64_t>(count) + 1) std::abort();
      for (const auto& row : table) {
        if (row.size() != table[0].size()) std::abort();
      }
      if (!table[0].empty() && table[0][0] != u"Instance") std::abort();
      for (size_t r = 1; r < table.size(); ++r) {
        if (!table[r].empty() && !table[r][0].empty() && table[r][0] != syscode::DecimalText(static_cast<long long>(r)))
          std::abort();
      }
    }

    // A platform that behaves gives every value back.
    if (world.behaves) {
      if (result == -1) std::abort();
      if (count != static_cast<std::int32_t>(cls.instances.size())) std::abort();
      if (cls.instances.empty()) {
        if (result != 0 || !table.empty()) std::abort();
      } else {
        const auto& last = cls.instances.back().properties;
        if (result != static_cast<std::int32_t>(last.size())) std::abort();
        const size_t width = cls.instances.front().properties.size() + 1;
        if (table.empty() || table[0].size() != width) std::abort();
        for (size_t r = 1; r < table.size(); ++r) {
          const auto& props = cls.instances[r - 1].properties;
          for (size_t c = 1; c < width && c <= props.size(); ++c) {
            const Variant& v = props[c - 1].value;
            if (table[r][c] != (v.IsNull() ? Text(u"NULL") : v.s)) std::abort();
          }
        }
      }
    }
    if (runtime.live_objects() != 0) std::abort();
  }
  wmi::ClearThreadErrorInfo();
  return 0;
}
