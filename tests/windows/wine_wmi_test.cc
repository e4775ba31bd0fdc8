// QueryWmiTable against the platform's own WMI, with no fake registered, so
// CoCreateInstance gives the real locator. Three layers answer it, and each
// test says what it expects of which:
//   - Windows: the whole scripting layer;
//   - Wine's own builtin wbemdisp (Wine 8.0): connects, counts and enumerates
//     instances, but ISWbemPropertySet::_NewEnum, ISWbemProperty::Name and
//     CIMType are E_NOTIMPL, so every query fails at the first property
//     enumeration -- a real platform failure path;
//   - the completed wbemdisp of tests/windows/wine-wbemdisp under Wine: the
//     same provider (wbemprox) with those three methods implemented, which
//     behaves as Windows does.
// The layer is told by the module that serves the locator; a run that names
// its layer in SYSCODE_WMI_LAYER (windows, wine-builtin, completed) checks
// that it got that one. The table's shape after a failed property
// enumeration is checked on our fake objects (WineGapOnFakes below).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "wmi/win32/com_handles.h"
#include "windows/fake_wbem_com.h"
#include "wmi/com_runtime.h"
#include "wmi/ole_error.h"
#include "wmi/ole_server.h"
#include "wmi/wmiquery.h"

namespace {

using syscode::Text;

Text SystemText(wmi::HRESULT hr) {
  wchar_t buffer[256];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(hr), 0, buffer, 256, nullptr);
  return syscode::TrimTrailingBlanksAndPeriods(wmi::win32::FromWide(buffer, n));
}

// The message of a failing call without error information: the system's
// text for the HRESULT, or "OLE error" and the code when it has none.
Text FailureText(wmi::HRESULT hr) {
  const Text system = SystemText(hr);
  if (!system.empty()) return system;
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(hr));
  return u"OLE error " + syscode::FromUtf8(code);
}

enum class Layer { kWindows, kWineBuiltin, kCompleted };

const char* LayerName(Layer layer) {
  switch (layer) {
    case Layer::kWindows: return "windows";
    case Layer::kWineBuiltin: return "wine-builtin";
    case Layer::kCompleted: return "completed";
  }
  return "?";
}

// Which layer serves the locator: Windows has no wine_get_version in ntdll;
// Wine's builtin modules carry "Wine builtin DLL" after their DOS header; a
// native wbemdisp.dll under Wine is the completed one.
Layer ServingLayer() {
  std::shared_ptr<wmi::IUnknownObject> object;
  wmi::PlatformComRuntime().CoCreateInstance(wmi::kCLSID_SWbemLocator, 5, wmi::kIID_IUnknown, &object);
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) return Layer::kWindows;
  const auto* module = reinterpret_cast<const char*>(GetModuleHandleW(L"wbemdisp.dll"));
  if (module != nullptr && std::memcmp(module + 0x40, "Wine builtin DLL", 16) == 0) return Layer::kWineBuiltin;
  return Layer::kCompleted;
}

class WineWmi : public testing::Test {
 protected:
  void SetUp() override {
    layer = ServingLayer();
    if (const char* declared = std::getenv("SYSCODE_WMI_LAYER"); declared != nullptr && *declared != '\0') {
      ASSERT_STREQ(LayerName(layer), declared) << "the run asked for another WMI layer than the one serving it";
    }
    std::printf("WMI layer: %s\n", LayerName(layer));
  }
  Layer layer = Layer::kWindows;
};

// Walks Win32_Processor by hand through the object model down to the first
// instance's properties; gives the HRESULT of each step it reached and,
// where the property enumeration works, each property's name and CIM type.
struct Walk {
  wmi::HRESULT create = -1, connect = -1, instances = -1, count_hr = -1, new_enum = -1, next = -1, properties = -1,
               property_count_hr = -1, property_enum = -1;
  std::int32_t count = 0, property_count = 0;
  std::vector<Text> names;
  std::vector<std::int32_t> cim_types;
  std::vector<wmi::HRESULT> name_hr, cim_type_hr;
};

Walk WalkProcessors() {
  Walk w;
  wmi::ComRuntime& runtime = wmi::PlatformComRuntime();
  std::shared_ptr<wmi::IUnknownObject> object;
  w.create = runtime.CoCreateInstance(wmi::kCLSID_SWbemLocator, 5, wmi::kIID_IUnknown, &object);
  std::shared_ptr<wmi::ISWbemLocator> locator;
  if (wmi::Failed(w.create) || wmi::Failed(wmi::QueryAs(object, &locator))) return w;
  std::shared_ptr<wmi::ISWbemServices> services;
  w.connect = locator->ConnectServer(u".", u"root\\CIMV2", u"", u"", u"", u"", 0, nullptr, &services);
  if (wmi::Failed(w.connect)) return w;
  std::shared_ptr<wmi::ISWbemObjectSet> set;
  w.instances = services->InstancesOf(u"Win32_Processor", 17, nullptr, &set);
  if (wmi::Failed(w.instances)) return w;
  w.count_hr = set->Count(&w.count);
  std::shared_ptr<wmi::IUnknownObject> enum_object;
  w.new_enum = set->NewEnum(&enum_object);
  std::shared_ptr<wmi::IEnumVariant> instances;
  if (wmi::Failed(w.new_enum) || wmi::Failed(wmi::QueryAs(enum_object, &instances))) return w;
  wmi::Variant item;
  std::uint32_t fetched = 0;
  w.next = instances->Next(1, &item, &fetched);
  std::shared_ptr<wmi::ISWbemObject> instance;
  if (w.next != wmi::kS_OK || wmi::Failed(wmi::QueryAs(item.object, &instance))) return w;
  std::shared_ptr<wmi::ISWbemPropertySet> properties;
  w.properties = instance->Properties(&properties);
  if (wmi::Failed(w.properties)) return w;
  w.property_count_hr = properties->Count(&w.property_count);
  std::shared_ptr<wmi::IUnknownObject> property_enum_object;
  w.property_enum = properties->NewEnum(&property_enum_object);
  std::shared_ptr<wmi::IEnumVariant> property_enum;
  if (wmi::Failed(w.property_enum) || wmi::Failed(wmi::QueryAs(property_enum_object, &property_enum))) return w;
  for (;;) {
    wmi::Variant delivered;
    if (property_enum->Next(1, &delivered, &fetched) != wmi::kS_OK) break;
    std::shared_ptr<wmi::ISWbemProperty> property;
    if (wmi::Failed(wmi::QueryAs(delivered.object, &property))) break;
    Text name;
    std::int32_t type = -1;
    w.name_hr.push_back(property->Name(&name));
    w.cim_type_hr.push_back(property->CIMType(&type));
    w.names.push_back(name);
    w.cim_types.push_back(type);
  }
  return w;
}

TEST_F(WineWmi, EveryLayerConnectsCountsAndEnumeratesTheInstances) {
  const Walk w = WalkProcessors();
  ASSERT_EQ(w.create, wmi::kS_OK);
  ASSERT_EQ(w.connect, wmi::kS_OK);
  ASSERT_EQ(w.instances, wmi::kS_OK);
  ASSERT_EQ(w.count_hr, wmi::kS_OK);
  EXPECT_GT(w.count, 0);
  ASSERT_EQ(w.new_enum, wmi::kS_OK);
  ASSERT_EQ(w.next, wmi::kS_OK);
  ASSERT_EQ(w.properties, wmi::kS_OK);
  EXPECT_EQ(w.property_count_hr, wmi::kS_OK);
  EXPECT_GT(w.property_count, 0);
}

// Wine's builtin layer: _NewEnum of the property set is not implemented.
// Windows and the completed layer: it enumerates as many properties as the
// set counts, each with a name of its own and a CIM type of the platform's
// enumeration (no array flag: an array is told by IsArray).
TEST_F(WineWmi, ThePropertyEnumerationIsWhatTheLayerImplements) {
  const Walk w = WalkProcessors();
  ASSERT_EQ(w.properties, wmi::kS_OK);
  if (layer == Layer::kWineBuiltin) {
    EXPECT_EQ(w.property_enum, wmi::kE_NOTIMPL) << std::hex << w.property_enum;
    EXPECT_TRUE(w.names.empty());
    return;
  }
  ASSERT_EQ(w.property_enum, wmi::kS_OK) << std::hex << w.property_enum;
  ASSERT_EQ(w.names.size(), static_cast<size_t>(w.property_count));
  const std::set<Text> distinct(w.names.begin(), w.names.end());
  EXPECT_EQ(distinct.size(), w.names.size());
  EXPECT_TRUE(distinct.count(u"ProcessorId"));
  const std::set<std::int32_t> cim_types = {2, 3, 4, 5, 8, 11, 13, 16, 17, 18, 19, 20, 21, 101, 102, 103};
  for (size_t k = 0; k < w.names.size(); ++k) {
    SCOPED_TRACE(syscode::ToUtf8(w.names[k]));
    EXPECT_EQ(w.name_hr[k], wmi::kS_OK);
    EXPECT_FALSE(w.names[k].empty());
    EXPECT_EQ(w.cim_type_hr[k], wmi::kS_OK);
    EXPECT_TRUE(cim_types.count(w.cim_types[k])) << w.cim_types[k];
  }
}

// Wine's builtin layer: the query fails at the property enumeration with
// the system's text for E_NOTIMPL, and the table keeps the shape it took
// from the first instance's count. Windows and the completed layer: the
// table holds the walk's names in the header and every instance's values.
TEST_F(WineWmi, TheProcessorQueryGivesWhatTheLayerImplements) {
  const Walk w = WalkProcessors();
  ASSERT_EQ(w.property_count_hr, wmi::kS_OK);

  wmi::T2DimStrArray table = {{u"left over"}};
  std::int32_t count = -7;
  Text error = u"left over";
  const std::int32_t result =
      wmi::QueryWmiTable(u".", u"root\\CIMV2", u"", u"", u"Win32_Processor", table, count, error);

  EXPECT_EQ(count, w.count);
  ASSERT_EQ(table.size(), static_cast<size_t>(w.count) + 1);
  for (const auto& row : table) ASSERT_EQ(row.size(), static_cast<size_t>(w.property_count) + 1);
  if (layer == Layer::kWineBuiltin) {
    EXPECT_EQ(result, -1);
    EXPECT_EQ(error, FailureText(wmi::kE_NOTIMPL));
    for (size_t r = 0; r < table.size(); ++r) {
      for (size_t k = 0; k < table[r].size(); ++k) {
        EXPECT_EQ(table[r][k], r == 0 && k == 0 ? u"Instance" : u"") << r << "," << k;
      }
    }
    return;
  }
  EXPECT_EQ(result, w.property_count);
  EXPECT_EQ(error, u"");
  ASSERT_EQ(w.names.size(), static_cast<size_t>(w.property_count));
  EXPECT_EQ(table[0][0], u"Instance");
  for (size_t k = 0; k < w.names.size(); ++k) EXPECT_EQ(table[0][k + 1], w.names[k]);
  size_t processor_id = 0;
  for (size_t k = 1; k < table[0].size(); ++k) {
    if (table[0][k] == u"ProcessorId") processor_id = k;
  }
  ASSERT_NE(processor_id, 0u);
  for (size_t r = 1; r < table.size(); ++r) {
    EXPECT_EQ(table[r][0], syscode::FromUtf8(std::to_string(r)));
    EXPECT_FALSE(table[r][processor_id].empty()) << r;
  }
}

TEST_F(WineWmi, ANamespaceThePlatformRejectsFails) {
  std::shared_ptr<wmi::IUnknownObject> object;
  std::shared_ptr<wmi::ISWbemLocator> locator;
  ASSERT_EQ(wmi::PlatformComRuntime().CoCreateInstance(wmi::kCLSID_SWbemLocator, 5, wmi::kIID_IUnknown, &object),
            wmi::kS_OK);
  ASSERT_EQ(wmi::QueryAs(object, &locator), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemServices> services;
  const wmi::HRESULT rejected =
      locator->ConnectServer(u".", u"root\\NoSuchNamespace", u"", u"", u"", u"", 0, nullptr, &services);
  ASSERT_TRUE(wmi::Failed(rejected));
  wmi::PlatformComRuntime().TakeErrorDescription();

  wmi::T2DimStrArray table = {{u"left over"}};
  std::int32_t count = -7;
  Text error;
  EXPECT_EQ(wmi::QueryWmiTable(u".", u"root\\NoSuchNamespace", u"", u"", u"Win32_Processor", table, count, error), -1);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(error, FailureText(rejected));
}

}  // namespace

namespace {

// A wrapper of a class that no one has registered.
class UnregisteredServer : public wmi::TOleServer {
 public:
  UnregisteredServer() : TOleServer(nullptr, wmi::PlatformComRuntime()) { InitializeServer(); }
  ~UnregisteredServer() override { Disconnect(); }
  void InitServerData() override { FServerData = &data_; }
  void Connect() override {}
  void Disconnect() override {}

 private:
  wmi::TServerData data_ = {
      {0x5C0DE000, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}}, wmi::kIID_IUnknown, wmi::kGUID_NULL, 0};
};

TEST(WineCom, AServerThatCannotBeCreatedNamesTheSystemMessageAndItsClass) {
  UnregisteredServer server;
  try {
    server.GetServer();
    ADD_FAILURE() << "no error";
  } catch (const wmi::EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<wmi::HRESULT>(REGDB_E_CLASSNOTREG));
    EXPECT_EQ(e.Message(), FailureText(REGDB_E_CLASSNOTREG) + u", ClassID: {5C0DE000-0001-0002-0102-030405060708}");
  }
}

}  // namespace

namespace {

// Wine's builtin gap, reproduced on our fake objects: two instances of three
// properties whose property set cannot be enumerated (E_NOTIMPL, no error
// information). The query fails with the system's text for the code; the
// table took its shape (count + 1 rows of p + 1 cells) from the first
// instance before the failure, and nothing but "Instance" was written.
TEST(WineGapOnFakes, AFailedPropertyEnumerationLeavesTheTableShapedAndEmpty) {
  const fakes::FakeInstance processor{{
      {u"ProcessorId", wmi::Variant::String(u"BFEBFBFF000306A9"), 8},
      {u"MaxClockSpeed", wmi::Variant::UInt32(3400), 19},
      {u"Characteristics", wmi::Variant::Null(), 19},
  }};
  fakes::FakeWbemScript script;
  script.instances = {processor, processor};
  script.failures["PropertySet._NewEnum"] = fakes::FakeFailure{static_cast<std::int32_t>(E_NOTIMPL), u""};

  wmi::T2DimStrArray table = {{u"left over"}};
  std::int32_t count = -7;
  Text error = u"left over";
  std::int32_t result = 0;
  {
    fakes::RunningFakeLocator running(script);
    ASSERT_EQ(running.registration(), S_OK);
    result = wmi::QueryWmiTable(u".", u"root\\CIMV2", u"", u"", u"Win32_Processor", table, count, error);
  }

  EXPECT_EQ(result, -1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(error, FailureText(E_NOTIMPL));
  ASSERT_EQ(table.size(), 3u);
  for (size_t r = 0; r < table.size(); ++r) {
    ASSERT_EQ(table[r].size(), 4u) << r;
    for (size_t k = 0; k < table[r].size(); ++k) {
      EXPECT_EQ(table[r][k], r == 0 && k == 0 ? u"Instance" : u"") << r << "," << k;
    }
  }
  EXPECT_EQ(fakes::LiveFakeObjects(), 0);
}

}  // namespace
