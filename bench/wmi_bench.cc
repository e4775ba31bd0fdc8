// The WMI access layer's own cost, measured against the fake runtime: the
// text of one property value per kind, and whole queries over classes of
// growing size (the table is filled for every property of every instance).
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "fakes/fake_wmi.h"
#include "wmi/property_text.h"
#include "wmi/wmiquery.h"

namespace {

using syscode::Text;
using wmi::Variant;
using wmi::VarType;

// A property that only hands out its value and type.
class FixedProperty : public wmi::ISWbemProperty {
 public:
  FixedProperty(std::int32_t cim_type, Variant value) : cim_type_(cim_type), value_(std::move(value)) {}
  wmi::HRESULT QueryInterface(const wmi::Guid&, std::shared_ptr<wmi::IUnknownObject>*) override {
    return wmi::kE_NOINTERFACE;
  }
  wmi::HRESULT Value(Variant* value) override {
    *value = value_;
    return wmi::kS_OK;
  }
  wmi::HRESULT Name(Text* name) override {
    name->clear();
    return wmi::kS_OK;
  }
  wmi::HRESULT CIMType(std::int32_t* type) override {
    *type = cim_type_;
    return wmi::kS_OK;
  }

 private:
  std::int32_t cim_type_;
  Variant value_;
};

struct Kind {
  const char* name;
  std::int32_t cim_type;
  Variant value;
};

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"null", wmi::cim::kString, Variant::Null()},
      {"string", wmi::cim::kString, Variant::String(u"BFEBFBFF000306A9")},
      {"uint32", wmi::cim::kUint32, Variant::Int32(305419896)},
      {"sint64_as_text", wmi::cim::kSint64, Variant::String(u"-9223372036854775808")},
      {"uint64", wmi::cim::kUint64, Variant::String(u"18446744073709551615")},
      {"uint16_array_8", wmi::cim::kUint16,
       Variant::Array(VarType::kInt32, std::vector<Variant>(8, Variant::Int32(65535)))},
      {"string_array_8", wmi::cim::kString,
       Variant::Array(VarType::kText, std::vector<Variant>(8, Variant::String(u"element")))},
      {"real32", wmi::cim::kReal32, Variant::Real32(0.1f)},
      {"real64_scientific", wmi::cim::kReal64, Variant::Real64(1.5e-7)},
      {"boolean", wmi::cim::kBoolean, Variant::Bool(true)},
      {"datetime", wmi::cim::kDatetime, Variant::String(u"20261209223000.000000+000")},
      {"char16", wmi::cim::kChar16, Variant::Int32(65)},
  };
  return kinds;
}

void BM_WmiPropertyText(benchmark::State& state) {
  const Kind& kind = Kinds()[static_cast<size_t>(state.range(0))];
  state.SetLabel(kind.name);
  fakes::FakeComRuntime runtime;
  FixedProperty property(kind.cim_type, kind.value);
  const Text separator = u".";
  for (auto _ : state) benchmark::DoNotOptimize(wmi::WmiPropertyText(property, runtime, separator));
}
BENCHMARK(BM_WmiPropertyText)->DenseRange(0, 11);

// A real value with the separator looked up in the user's settings, as the
// query does it.
void BM_WmiPropertyTextRealWithUserSeparator(benchmark::State& state) {
  fakes::FakeComRuntime runtime;
  FixedProperty property(wmi::cim::kReal64, Variant::Real64(1.5e-7));
  for (auto _ : state) benchmark::DoNotOptimize(wmi::WmiPropertyText(property, runtime));
}
BENCHMARK(BM_WmiPropertyTextRealWithUserSeparator);

// A class of `instances` instances of 50 properties: 30 strings, 15
// integers, 3 nulls, 1 real and 1 integer array, as a hardware class looks.
void FillClass(fakes::FakeComRuntime& runtime, int instances) {
  std::vector<fakes::FakeProperty> properties;
  for (int p = 0; p < 50; ++p) {
    const Text name = u"Property" + syscode::DecimalText(static_cast<long long>(p));
    if (p < 30) {
      properties.push_back(fakes::TextProp(name, u"Value text " + syscode::DecimalText(static_cast<long long>(p))));
    } else if (p < 45) {
      properties.push_back(fakes::Prop(name, wmi::cim::kUint32, Variant::Int32(p * 1000003)));
    } else if (p < 48) {
      properties.push_back(fakes::Prop(name, wmi::cim::kString, Variant::Null()));
    } else if (p < 49) {
      properties.push_back(fakes::Prop(name, wmi::cim::kReal64, Variant::Real64(2.5)));
    } else {
      properties.push_back(
          fakes::Prop(name, wmi::cim::kUint16,
                      Variant::Array(VarType::kInt32, {Variant::Int32(1), Variant::Int32(2), Variant::Int32(3)})));
    }
  }
  runtime.Class(u"root\\CIMV2", u"Win32_Bench")
      .instances.assign(static_cast<size_t>(instances), fakes::Instance(properties));
}

void BM_QueryWmiTable(benchmark::State& state) {
  const int instances = static_cast<int>(state.range(0));
  fakes::FakeComRuntime runtime;
  runtime.record_calls = false;
  FillClass(runtime, instances);
  wmi::T2DimStrArray table;
  std::int32_t count = 0;
  Text error;
  for (auto _ : state) {
    const std::int32_t result =
        wmi::QueryWmiTable(runtime, u".", u"root\\CIMV2", u"", u"", u"Win32_Bench", table, count, error);
    if (result != 50) state.SkipWithError("query failed");
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * instances * 50);  // property values
  state.SetComplexityN(instances);
}
BENCHMARK(BM_QueryWmiTable)
    ->RangeMultiplier(4)
    ->Range(1, 4096)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
