// QueryWmiTable over real COM: a fake locator registered as the running
// SWbemLocator object is found by GetActiveObject, and every value crosses
// the real plumbing (QueryInterface, BSTR, VARIANT, SAFEARRAY, IEnumVARIANT,
// SetErrorInfo/GetErrorInfo, FormatMessage).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wmi/win32/com_handles.h"
#include "wmi/wmiquery.h"
#include "windows/fake_wbem_com.h"

namespace {

using fakes::FakeFailure;
using fakes::FakeInstance;
using fakes::FakeProperty;
using fakes::FakeWbemScript;
using syscode::Text;
using wmi::Variant;
using wmi::VarType;

class FakeLocatorTest : public testing::Test {
 protected:
  // Runs one request against the fake registered as the running locator.
  std::int32_t Query(const Text& class_or_query) {
    fakes::RunningFakeLocator running(script);
    EXPECT_EQ(running.registration(), S_OK);
    live_while_registered = fakes::LiveFakeObjects();
    return wmi::QueryWmiTable(u".", u"root\\CIMV2", u"", u"", class_or_query, table, count, error);
  }

  FakeWbemScript script;
  wmi::T2DimStrArray table = {{u"left over"}};
  std::int32_t count = -7;
  Text error = u"left over";
  int live_while_registered = 0;
};

FakeInstance Processor(const char16_t* id, std::uint32_t speed) {
  return FakeInstance{{
      {u"ProcessorId", Variant::String(id), 8},
      {u"MaxClockSpeed", Variant::UInt32(speed), 19},
      {u"Characteristics", Variant::Null(), 19},
  }};
}

TEST_F(FakeLocatorTest, ClassPathFillsTheTableThroughRealCom) {
  script.instances = {Processor(u"BFEBFBFF000306A9", 3400), Processor(u"  padded  ", 2100)};

  EXPECT_EQ(Query(u"Win32_Processor"), 3);

  EXPECT_EQ(count, 2);
  EXPECT_EQ(error, u"");
  const wmi::T2DimStrArray expected = {
      {u"Instance", u"ProcessorId", u"MaxClockSpeed", u"Characteristics"},
      {u"1", u"BFEBFBFF000306A9", u"3400", u"NULL"},
      {u"2", u"  padded  ", u"2100", u"NULL"},
  };
  EXPECT_EQ(table, expected);
  const std::vector<std::string> calls = {
      "ConnectServer(.,root\\CIMV2,<null>,<null>,<null>,<null>,0,<none>)",
      "InstancesOf(Win32_Processor,17,<none>)",
  };
  EXPECT_EQ(script.calls, calls);
}

TEST_F(FakeLocatorTest, QueryPathPassesTheTextAndWql) {
  script.instances = {Processor(u"X", 1)};
  EXPECT_EQ(Query(u"SELECT ProcessorId FROM Win32_Processor"), 3);
  ASSERT_EQ(script.calls.size(), 2u);
  EXPECT_EQ(script.calls[1], "ExecQuery(SELECT ProcessorId FROM Win32_Processor,WQL,16,<none>)");
}

// Values of every kind cross as VARIANTs and SAFEARRAYs and come back as
// the property text rules give them.
TEST_F(FakeLocatorTest, ValuesOfEveryKindCrossAsVariants) {
  struct Case {
    const char16_t* name;
    Variant value;
    std::int32_t cim_type;
    const char16_t* text;
  };
  const std::vector<Case> cases = {
      {u"Text", Variant::String(u"Tö Be Filled"), 8, u"Tö Be Filled"},
      {u"EmptyText", Variant::String(u""), 8, u""},
      {u"Negative", Variant::Int32(-42), 3, u"-42"},
      {u"Int64Min", Variant::Int64(INT64_MIN), 20, u"-9223372036854775808"},
      {u"UInt64Max", Variant::UInt64(UINT64_MAX), 21, u"18446744073709551615"},
      {u"Int64AsText", Variant::String(u"9223372036854775807"), 20, u"9223372036854775807"},
      {u"Bytes", Variant::Array(VarType::kUInt8, {Variant::UInt8(1), Variant::UInt8(2), Variant::UInt8(3)}), 17,
       u"1|2|3"},
      {u"Texts", Variant::Array(VarType::kText, {Variant::String(u"a"), Variant::String(u""), Variant::String(u"b")}),
       8, u"a||b"},
      {u"NoElements", Variant::Array(VarType::kUInt16, {}), 18, u""},
      {u"OneElement", Variant::Array(VarType::kInt32, {Variant::Int32(7)}), 3, u"7"},
      {u"Real32", Variant::Real32(0.1f), 4, u"0.100000001490116"},
      {u"Bool", Variant::Bool(true), 11, u"True"},
      {u"Null", Variant::Null(), 13, u"NULL"},
      {u"Char16", Variant::UInt16(65), 103, u"<16-bit character>"},
      {u"Datetime", Variant::String(u"20240102030405.000000+060"), 101, u"20240102030405.000000+060"},
      {u"UnknownType", Variant::String(u"x"), 0, u""},
  };
  FakeInstance instance;
  for (const Case& c : cases) instance.properties.push_back({c.name, c.value, c.cim_type});
  script.instances = {instance};

  ASSERT_EQ(Query(u"Win32_Kinds"), static_cast<std::int32_t>(cases.size())) << syscode::ToUtf8(error);
  ASSERT_EQ(table.size(), 2u);
  for (size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(syscode::ToUtf8(cases[k].name));
    EXPECT_EQ(table[0][k + 1], cases[k].name);
    EXPECT_EQ(table[1][k + 1], cases[k].text);
  }
}

TEST_F(FakeLocatorTest, NoInstancesGiveAnEmptyResult) {
  EXPECT_EQ(Query(u"Win32_Nothing"), 0);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(error, u"");
}

TEST_F(FakeLocatorTest, EveryObjectIsReleasedWhenTheQueryReturns) {
  script.instances = {Processor(u"A", 1), Processor(u"B", 2)};
  script.failures["Value"] = FakeFailure{static_cast<std::int32_t>(E_FAIL), u"broken"};
  const int before = fakes::LiveFakeObjects();
  EXPECT_EQ(Query(u"Win32_Processor"), -1);
  Query(u"SELECT * FROM Win32_Processor");
  script.failures.clear();
  EXPECT_EQ(Query(u"Win32_Processor"), 3);
  // Only the registered locator was alive during each query, and nothing
  // is left afterwards.
  EXPECT_EQ(live_while_registered, before + 1);
  EXPECT_EQ(fakes::LiveFakeObjects(), before);
}

// The system's message for an HRESULT as the failure text uses it: trailing
// blanks and periods removed.
Text SystemText(HRESULT hr) {
  wchar_t buffer[256];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(hr), 0, buffer, 256, nullptr);
  return syscode::TrimTrailingBlanksAndPeriods(wmi::win32::FromWide(buffer, n));
}

struct FailureCase {
  const char* call;
  HRESULT hr;
  const char16_t* description;
  Text expected;  // the error text
};

TEST_F(FakeLocatorTest, FailingCallsGiveTheErrorInformationOrTheSystemMessage) {
  const Text access_denied = SystemText(E_ACCESSDENIED);
  ASSERT_FALSE(access_denied.empty());
  const std::vector<FailureCase> cases = {
      {"ConnectServer", E_FAIL, u"  Access to namespace denied. .\r\n", u"Access to namespace denied"},
      {"InstancesOf", E_ACCESSDENIED, u"", access_denied},
      {"InstancesOf", static_cast<HRESULT>(0x8004BEEF), u"", u"OLE error 8004BEEF"},
      {"Count", static_cast<HRESULT>(0x8004BEEF), u"No count", u"No count"},
      {"Properties_", E_ACCESSDENIED, u"", access_denied},
      {"Value", static_cast<HRESULT>(0x80041002), u"Not found", u"Not found"},
      {"Name", E_ACCESSDENIED, u"", access_denied},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.call);
    script = FakeWbemScript{};
    script.instances = {Processor(u"A", 1)};
    script.failures[c.call] = FakeFailure{static_cast<std::int32_t>(c.hr), c.description};
    EXPECT_EQ(Query(u"Win32_Processor"), -1);
    EXPECT_EQ(error, syscode::Trim(c.expected));
  }
}

TEST_F(FakeLocatorTest, AFailureKeepsWhatWasStored) {
  script.instances = {Processor(u"A", 1), Processor(u"B", 2)};
  script.failures["Properties_"] = FakeFailure{static_cast<std::int32_t>(E_FAIL), u"gone"};
  EXPECT_EQ(Query(u"Win32_Processor"), -1);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(error, u"gone");
}

TEST_F(FakeLocatorTest, ALocatorWithoutTheInterfaceIsNotSupported) {
  script.locator_offers_interface = false;
  EXPECT_EQ(Query(u"Win32_Processor"), -1);
  EXPECT_EQ(error, u"Interface not supported");
  EXPECT_TRUE(script.calls.empty());
}

}  // namespace
