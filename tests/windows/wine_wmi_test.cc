// QueryWmiTable against the platform's own WMI (under Wine: its wbemdisp and
// wbemprox), with no fake registered, so CoCreateInstance gives the real
// locator.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/windows/com_handles.h"
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
  return syscode::TrimTrailingBlanksAndPeriods(syscode::win::FromWide(buffer, n));
}

// Walks Win32_Processor by hand through the object model down to the first
// instance's property enumerator; gives the HRESULT of each step it reached.
struct Walk {
  wmi::HRESULT create = -1, connect = -1, instances = -1, count_hr = -1, new_enum = -1, next = -1,
               properties = -1, property_count_hr = -1, property_enum = -1;
  std::int32_t count = 0, property_count = 0;
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
  std::shared_ptr<wmi::IUnknownObject> property_enum;
  w.property_enum = properties->NewEnum(&property_enum);
  return w;
}

TEST(WineWmi, TheRealLocatorConnectsAndCountsButCannotEnumerateProperties) {
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
  EXPECT_TRUE(wmi::Failed(w.property_enum)) << std::hex << w.property_enum;
}

TEST(WineWmi, ProcessorQueryFailsOnThePropertyEnumerationWithTheTableShaped) {
  const Walk w = WalkProcessors();
  ASSERT_TRUE(wmi::Failed(w.property_enum));

  wmi::T2DimStrArray table = {{u"left over"}};
  std::int32_t count = -7;
  Text error = u"left over";
  EXPECT_EQ(wmi::QueryWmiTable(u".", u"root\\CIMV2", u"", u"", u"Win32_Processor", table, count, error), -1);

  EXPECT_EQ(count, w.count);
  ASSERT_EQ(table.size(), static_cast<size_t>(w.count) + 1);
  for (size_t r = 0; r < table.size(); ++r) {
    ASSERT_EQ(table[r].size(), static_cast<size_t>(w.property_count) + 1);
    for (size_t k = 0; k < table[r].size(); ++k) {
      EXPECT_EQ(table[r][k], r == 0 && k == 0 ? u"Instance" : u"") << r << "," << k;
    }
  }
  const Text expected = SystemText(w.property_enum);
  EXPECT_EQ(error, expected.empty() ? Text(u"OLE error ") : expected);
  EXPECT_FALSE(error.empty());
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

TEST(WineWmi, ANamespaceThePlatformRejectsFails) {
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
  EXPECT_EQ(wmi::QueryWmiTable(u".", u"root\\NoSuchNamespace", u"", u"", u"Win32_Processor", table, count, error),
            -1);
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
  wmi::TServerData data_ = {{0x5C0DE000, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}}, wmi::kIID_IUnknown,
                            wmi::kGUID_NULL, 0};
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
