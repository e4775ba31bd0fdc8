// The scripting objects of the Linux layer: the runtime's class table, the
// connection and query rules with their error information, and the shapes
// a WMI client relies on.
#include "platform/linux/wbem_linux.h"

#include <gtest/gtest.h>

#include "linux/wmi_walker.h"
#include "platform/linux/hardware_classes.h"
#include "wmi/property_text.h"

namespace linux_layer_test {
namespace {

using wmi::linux_layer::LinuxComRuntime;

const char16_t* const kClasses[] = {u"Win32_Processor", u"Win32_BIOS", u"Win32_BaseBoard", u"Win32_PhysicalMedia",
                                    u"Win32_DiskDrive"};
const char* const kMachines[] = {"this-machine",      "this-machine-user",    "desktop-nvme",
                                 "desktop-nvme-user", "laptop-sata",          "no-dmi",
                                 "laptop-nvme",       "laptop-nvme-user",     "kvm-seabios",
                                 "kvm-seabios-sm3",   "kvm-seabios-sm3-user", "ovmf-vm",
                                 "ovmf-vm-user",      "server-multipath",     "server-multipath-user",
                                 "laptop-sd-nvme",    "usb-stick-only"};

bool LessNoCase(const Text& a, const Text& b) {
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

TEST(ShapeTest, EveryInstanceOfAClassHasTheSameSortedPropertiesOfTheirOwnTypes) {
  for (const char* machine : kMachines) {
    for (const char16_t* wmi_class : kClasses) {
      SCOPED_TRACE(std::string(machine) + " " + syscode::ToUtf8(wmi_class));
      SeenObjects seen = WalkClass(CaptureSources(machine), wmi_class);
      std::vector<Text> expected = wmi::linux_layer::ClassPropertyNames(wmi_class);
      EXPECT_TRUE(std::is_sorted(expected.begin(), expected.end(), LessNoCase));
      for (const auto& instance : seen.instances) {
        std::vector<Text> names;
        for (const auto& p : instance) {
          names.push_back(p.name);
          // The automation form of each CIM type, or null.
          if (p.value.IsNull()) continue;
          switch (p.cim_type) {
            case wmi::cim::kString:
            case wmi::cim::kUint64:
            case wmi::cim::kDatetime: EXPECT_EQ(p.value.type, wmi::VarType::kText) << syscode::ToUtf8(p.name); break;
            case wmi::cim::kUint16:
            case wmi::cim::kUint32: EXPECT_EQ(p.value.type, wmi::VarType::kInt32) << syscode::ToUtf8(p.name); break;
            case wmi::cim::kBoolean: EXPECT_EQ(p.value.type, wmi::VarType::kBool) << syscode::ToUtf8(p.name); break;
            default: ADD_FAILURE() << "unexpected CIM type " << p.cim_type;
          }
        }
        EXPECT_EQ(names, expected);
      }
    }
  }
}

TEST(ShapeTest, EnumeratorsDeliverOneItemAtATimeAndStayAtTheEnd) {
  auto services = Connect(CaptureSources("desktop-nvme"));
  std::shared_ptr<wmi::ISWbemObjectSet> set;
  ASSERT_EQ(services->InstancesOf(u"Win32_DiskDrive", 16, nullptr, &set), wmi::kS_OK);
  std::int32_t count = 0;
  ASSERT_EQ(set->Count(&count), wmi::kS_OK);
  ASSERT_EQ(count, 3);
  std::shared_ptr<wmi::IUnknownObject> unknown;
  ASSERT_EQ(set->NewEnum(&unknown), wmi::kS_OK);
  std::shared_ptr<wmi::IEnumVariant> items;
  ASSERT_EQ(wmi::QueryAs(unknown, &items), wmi::kS_OK);

  wmi::Variant two[2];
  std::uint32_t fetched = 0;
  EXPECT_EQ(items->Next(2, two, &fetched), wmi::kS_OK);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(items->Next(2, two, &fetched), wmi::kS_FALSE);
  EXPECT_EQ(fetched, 1u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(items->Next(1, two, &fetched), wmi::kS_FALSE);
    EXPECT_EQ(fetched, 0u);
  }
  // A second enumerator starts from the beginning again.
  ASSERT_EQ(set->NewEnum(&unknown), wmi::kS_OK);
  ASSERT_EQ(wmi::QueryAs(unknown, &items), wmi::kS_OK);
  EXPECT_EQ(items->Next(1, two, &fetched), wmi::kS_OK);
}

TEST(ShapeTest, ObjectsAnswerTheirInterfacesOnly) {
  auto services = Connect(CaptureSources("laptop-sata"));
  std::shared_ptr<wmi::ISWbemObjectSet> set;
  ASSERT_EQ(services->InstancesOf(u"Win32_BIOS", 16, nullptr, &set), wmi::kS_OK);
  std::shared_ptr<wmi::IUnknownObject> enumerator;
  ASSERT_EQ(set->NewEnum(&enumerator), wmi::kS_OK);
  std::shared_ptr<wmi::IUnknownObject> out;
  EXPECT_EQ(enumerator->QueryInterface(wmi::kIID_IEnumVARIANT, &out), wmi::kS_OK);
  EXPECT_EQ(enumerator->QueryInterface(wmi::kIID_IUnknown, &out), wmi::kS_OK);
  EXPECT_EQ(enumerator->QueryInterface(wmi::kIID_IDispatch, &out), wmi::kE_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  std::shared_ptr<wmi::IEnumVariant> items;
  ASSERT_EQ(wmi::QueryAs(enumerator, &items), wmi::kS_OK);
  wmi::Variant item;
  ASSERT_EQ(items->Next(1, &item, nullptr), wmi::kS_OK);
  const std::pair<wmi::Guid, wmi::HRESULT> object_cases[] = {
      {wmi::kIID_ISWbemObject, wmi::kS_OK},
      {wmi::kIID_IUnknown, wmi::kS_OK},
      {wmi::kIID_IDispatch, wmi::kS_OK},
      {wmi::kIID_ISWbemProperty, wmi::kE_NOINTERFACE},
      {wmi::kIID_ISWbemObjectSet, wmi::kE_NOINTERFACE},
      {wmi::kIID_IEnumVARIANT, wmi::kE_NOINTERFACE},
  };
  for (const auto& [iid, hr] : object_cases) {
    EXPECT_EQ(item.object->QueryInterface(iid, &out), hr) << syscode::ToUtf8(wmi::GuidText(iid));
  }
  std::shared_ptr<wmi::ISWbemObject> object;
  ASSERT_EQ(wmi::QueryAs(item.object, &object), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemPropertySet> properties;
  ASSERT_EQ(object->Properties(&properties), wmi::kS_OK);
  ASSERT_EQ(properties->NewEnum(&enumerator), wmi::kS_OK);
  ASSERT_EQ(wmi::QueryAs(enumerator, &items), wmi::kS_OK);
  ASSERT_EQ(items->Next(1, &item, nullptr), wmi::kS_OK);
  EXPECT_EQ(item.object->QueryInterface(wmi::kIID_ISWbemProperty, &out), wmi::kS_OK);
  EXPECT_EQ(item.object->QueryInterface(wmi::kIID_ISWbemObject, &out), wmi::kE_NOINTERFACE);
}

struct ConnectCase {
  const char16_t* server;
  const char16_t* name_space;
  const char16_t* user;
  wmi::HRESULT expected;
  const char* description;  // the thread's error information after the call
};

TEST(ConnectServerTest, AcceptsTheLocalMachineAndCimv2Only) {
  const ConnectCase cases[] = {
      {u".", u"root\\CIMV2", u"", wmi::kS_OK, ""},
      {u"", u"root\\cimv2", u"", wmi::kS_OK, ""},
      {u"LocalHost", u"ROOT\\CimV2", u"", wmi::kS_OK, ""},
      {u".", u"root/cimv2", u"", wmi::kS_OK, ""},
      {u".", u"", u"", wmi::kS_OK, ""},
      {u".", u"root\\default", u"", wmi::kWBEM_E_INVALID_NAMESPACE, "Invalid namespace "},
      {u".", u"root\\cimv2\\", u"", wmi::kWBEM_E_INVALID_NAMESPACE, "Invalid namespace "},
      {u".", u" root\\cimv2", u"", wmi::kWBEM_E_INVALID_NAMESPACE, "Invalid namespace "},
      {u"far-away-host.invalid", u"root\\cimv2", u"", wmi::linux_layer::kRPC_S_SERVER_UNAVAILABLE,
       "The RPC server is unavailable. "},
      {u".", u"root\\cimv2", u"admin", wmi::linux_layer::kWBEM_E_LOCAL_CREDENTIALS,
       "User credentials cannot be used for local connections "},
  };
  auto locator = wmi::linux_layer::MakeLocator(CaptureSources("laptop-sata"));
  for (const auto& c : cases) {
    SCOPED_TRACE(syscode::ToUtf8(c.server) + " " + syscode::ToUtf8(c.name_space));
    wmi::ClearThreadErrorInfo();
    std::shared_ptr<wmi::ISWbemServices> services;
    EXPECT_EQ(locator->ConnectServer(c.server, c.name_space, c.user, u"", u"", u"", 0, nullptr, &services), c.expected);
    EXPECT_EQ(services != nullptr, c.expected == wmi::kS_OK);
    EXPECT_EQ(syscode::ToUtf8(wmi::TakeThreadErrorInfo()), c.description);
  }
}

TEST(ConnectServerTest, TheMachinesOwnHostNameIsLocal) {
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  auto locator = wmi::linux_layer::MakeLocator(CaptureSources("laptop-sata"));
  std::shared_ptr<wmi::ISWbemServices> services;
  EXPECT_EQ(locator->ConnectServer(syscode::FromUtf8(host), u"root\\cimv2", u"", u"", u"", u"", 0, nullptr, &services),
            wmi::kS_OK);
}

struct QueryCase {
  const char16_t* text;
  const char16_t* language;
  wmi::HRESULT expected;
  std::vector<Text> properties;  // of the first instance, when it succeeds
};

TEST(QueryTest, SelectStarAndPropertyListsOnly) {
  std::vector<Text> all_bios = wmi::linux_layer::ClassPropertyNames(u"Win32_BIOS");
  const QueryCase cases[] = {
      {u"SELECT * FROM Win32_BIOS", u"WQL", wmi::kS_OK, all_bios},
      {u"select * from win32_bios", u"wql", wmi::kS_OK, all_bios},
      {u"  SELECT *\tFROM Win32_BIOS  ", u"", wmi::kS_OK, all_bios},
      {u"SELECT Version, Name FROM Win32_BIOS", u"WQL", wmi::kS_OK, {u"Version", u"Name"}},
      {u"SELECT name,version FROM WIN32_BIOS", u"WQL", wmi::kS_OK, {u"Name", u"Version"}},
      {u"SELECT Name, Name FROM Win32_BIOS", u"WQL", wmi::kS_OK, {u"Name"}},
      {u"SELECT * FROM Win32_BIOS WHERE Name = 'x'", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT FROM Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT Name, FROM Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT Name Version FROM Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT *, Name FROM Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT Colour FROM Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"Win32_BIOS", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"", u"WQL", wmi::kWBEM_E_INVALID_QUERY, {}},
      {u"SELECT * FROM Win32_Fan", u"WQL", wmi::kWBEM_E_INVALID_CLASS, {}},
      {u"SELECT * FROM Win32_BIOS", u"SQL", wmi::linux_layer::kWBEM_E_INVALID_QUERY_TYPE, {}},
  };
  auto services = Connect(CaptureSources("laptop-sata"));
  for (const auto& c : cases) {
    SCOPED_TRACE(syscode::ToUtf8(c.text));
    wmi::ClearThreadErrorInfo();
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    ASSERT_EQ(services->ExecQuery(c.text, c.language, 16 | 32, nullptr, &set), c.expected);
    if (c.expected != wmi::kS_OK) {
      EXPECT_EQ(set, nullptr);
      EXPECT_FALSE(wmi::TakeThreadErrorInfo().empty());
      continue;
    }
    SeenObjects seen = WalkObjectSet(set);
    ASSERT_EQ(seen.instances.size(), 1u);
    std::vector<Text> names;
    for (const auto& p : seen.instances[0]) names.push_back(p.name);
    EXPECT_EQ(names, c.properties);
    // laptop-sata boots through its legacy BIOS: Name and Caption are
    // Windows' default name.
    EXPECT_EQ(Show(Find(seen.instances[0], names[0])->value),
              names[0] == u"Version" ? "LENOVO - 1250" : "Default System BIOS");
  }
}

TEST(InstancesOfTest, ClassNamesMatchInAnyCaseAndUnknownClassesFail) {
  auto services = Connect(CaptureSources("desktop-nvme"));
  for (const char16_t* name : {u"win32_diskdrive", u"WIN32_DISKDRIVE", u"Win32_DiskDrive"}) {
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    EXPECT_EQ(services->InstancesOf(name, 16, nullptr, &set), wmi::kS_OK) << syscode::ToUtf8(name);
  }
  for (const char16_t* name : {u"Win32_Fan", u"", u" Win32_BIOS", u"SELECT * FROM Win32_BIOS", u"select"}) {
    SCOPED_TRACE(syscode::ToUtf8(name));
    wmi::ClearThreadErrorInfo();
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    EXPECT_EQ(services->InstancesOf(name, 16, nullptr, &set), wmi::kWBEM_E_INVALID_CLASS);
    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(syscode::ToUtf8(wmi::TakeThreadErrorInfo()), "Invalid class ");
    EXPECT_TRUE(wmi::TakeThreadErrorInfo().empty());  // taking clears it
  }
}

TEST(RuntimeTest, CreatesTheLocatorAndNothingElse) {
  LinuxComRuntime runtime(CaptureSources("laptop-sata"));
  std::shared_ptr<wmi::IUnknownObject> object;
  EXPECT_EQ(runtime.GetActiveObject(wmi::kCLSID_SWbemLocator, &object), wmi::kMK_E_UNAVAILABLE);
  EXPECT_EQ(object, nullptr);

  EXPECT_EQ(runtime.CoCreateInstance(wmi::kIID_ISWbemLocator, wmi::kCLSCTX_INPROC_SERVER, wmi::kIID_IUnknown, &object),
            wmi::kREGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);

  ASSERT_EQ(runtime.CoCreateInstance(wmi::kCLSID_SWbemLocator, wmi::kCLSCTX_INPROC_SERVER | wmi::kCLSCTX_LOCAL_SERVER,
                                     wmi::kIID_IUnknown, &object),
            wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemLocator> locator;
  ASSERT_EQ(wmi::QueryAs(object, &locator), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemServices> services;
  ASSERT_EQ(locator->ConnectServer(u".", u"root\\CIMV2", u"", u"", u"", u"", 0, nullptr, &services), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemObjectSet> set;
  ASSERT_EQ(services->InstancesOf(u"Win32_DiskDrive", 16, nullptr, &set), wmi::kS_OK);
  EXPECT_EQ(Show(Find(WalkObjectSet(set).instances.at(0), u"Signature")->value), "305419896");

  // Two locators are two separate objects.
  std::shared_ptr<wmi::IUnknownObject> second;
  ASSERT_EQ(runtime.CoCreateInstance(wmi::kCLSID_SWbemLocator, 1, wmi::kIID_IUnknown, &second), wmi::kS_OK);
  EXPECT_NE(second, object);
  EXPECT_EQ(runtime.CoCreateInstance(wmi::kCLSID_SWbemLocator, 1, wmi::kIID_IEnumVARIANT, &second),
            wmi::kE_NOINTERFACE);
}

TEST(RuntimeTest, ErrorInformationAndMessages) {
  LinuxComRuntime runtime(CaptureSources("laptop-sata"));
  wmi::SetThreadErrorInfo(u"Invalid class ");
  EXPECT_EQ(runtime.TakeErrorDescription(), u"Invalid class ");
  EXPECT_EQ(runtime.TakeErrorDescription(), u"");

  const std::pair<wmi::HRESULT, const char16_t*> messages[] = {
      {wmi::kWBEM_E_INVALID_NAMESPACE, u"Invalid namespace"},
      {wmi::kWBEM_E_INVALID_CLASS, u"Invalid class"},
      {wmi::kWBEM_E_INVALID_QUERY, u"Invalid query"},
      {wmi::linux_layer::kWBEM_E_INVALID_QUERY_TYPE, u"Invalid query language"},
      {wmi::kREGDB_E_CLASSNOTREG, u"Class not registered"},
      {wmi::kMK_E_UNAVAILABLE, u"Operation unavailable"},
      {wmi::kE_NOINTERFACE, u"No such interface supported"},
      {static_cast<wmi::HRESULT>(0x80041099u), u""},
      {wmi::kS_OK, u""},
  };
  for (const auto& [hr, text] : messages) EXPECT_EQ(runtime.SystemMessage(hr), text) << std::hex << hr;
}

TEST(LiveMachineTest, EveryClassEnumeratesThroughThePlatformRuntime) {
  wmi::ComRuntime& runtime = wmi::PlatformComRuntime();
  std::shared_ptr<wmi::IUnknownObject> object;
  ASSERT_EQ(runtime.CoCreateInstance(wmi::kCLSID_SWbemLocator, 1, wmi::kIID_IUnknown, &object), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemLocator> locator;
  ASSERT_EQ(wmi::QueryAs(object, &locator), wmi::kS_OK);
  std::shared_ptr<wmi::ISWbemServices> services;
  ASSERT_EQ(locator->ConnectServer(u".", u"root\\CIMV2", u"", u"", u"", u"", 0, nullptr, &services), wmi::kS_OK);
  for (const char16_t* wmi_class : kClasses) {
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    ASSERT_EQ(services->InstancesOf(wmi_class, 16, nullptr, &set), wmi::kS_OK);
    SeenObjects seen = WalkObjectSet(set);
    if (Text(wmi_class) == u"Win32_Processor" || Text(wmi_class) == u"Win32_BIOS") {
      EXPECT_GE(seen.instances.size(), 1u) << syscode::ToUtf8(wmi_class);
    }
  }
}

}  // namespace
}  // namespace linux_layer_test
