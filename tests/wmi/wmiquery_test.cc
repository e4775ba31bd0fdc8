#include "wmi/wmiquery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_wmi.h"
#include "base/errors.h"
#include "base/locale.h"
#include "wmi/ole_error.h"
#include "wmi/wbem_scripting_tlb.h"

namespace {

using fakes::FakeComRuntime;
using fakes::FakeInstance;
using fakes::Fault;
using fakes::Instance;
using fakes::TextProp;
using syscode::Text;
using testing::ElementsAre;
using wmi::T2DimStrArray;
using wmi::Variant;

using Row = std::vector<Text>;

const Text kNamespace = u"root\\CIMV2";

// `count` instances named "<prefix><i>" with properties A, B, C holding
// "a<i>", "b<i>", "c<i>".
std::vector<FakeInstance> Abc(int count) {
  std::vector<FakeInstance> out;
  for (int i = 1; i <= count; ++i) {
    const Text n = syscode::DecimalText(static_cast<long long>(i));
    out.push_back(Instance({TextProp(u"A", u"a" + n), TextProp(u"B", u"b" + n), TextProp(u"C", u"c" + n)}));
  }
  return out;
}

class QueryWmiTableTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(runtime_.live_objects(), 0) << "platform objects left alive";
    EXPECT_EQ(wmi::TSWbemLocator::LocatorServerData().InstanceCount, 0) << "locator wrappers left alive";
  }

  std::int32_t Run(const Text& class_or_query, const Text& name_space = kNamespace) {
    result_ = wmi::QueryWmiTable(runtime_, u".", name_space, u"", u"", class_or_query, table_, count_, error_);
    return result_;
  }

  FakeComRuntime runtime_;
  T2DimStrArray table_;
  std::int32_t count_ = -7;
  Text error_ = u"stale";
  std::int32_t result_ = 0;
};

TEST_F(QueryWmiTableTest, OneInstanceGivesHeaderAndValues) {
  runtime_.Class(kNamespace, u"Win32_BIOS").instances = {
      Instance({TextProp(u"Name", u"BIOS Date: 01/01/20"), TextProp(u"Version", u"ALASKA - 1072009")})};
  EXPECT_EQ(Run(u"Win32_BIOS"), 2);
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(error_, u"");
  EXPECT_EQ(table_,
            (T2DimStrArray{{u"Instance", u"Name", u"Version"}, {u"1", u"BIOS Date: 01/01/20", u"ALASKA - 1072009"}}));
}

TEST_F(QueryWmiTableTest, ExactCallsOfOneClassEnumeration) {
  runtime_.Class(kNamespace, u"Win32_BIOS").instances = {
      Instance({TextProp(u"Name", u"n"), fakes::Prop(u"Size", 19, Variant::UInt32(7))})};
  ASSERT_EQ(Run(u"Win32_BIOS"), 2);
  EXPECT_THAT(runtime_.log,
              ElementsAre("GetActiveObject(SWbemLocator)", "CoCreateInstance(SWbemLocator,5,IUnknown)",
                          "Locator.QueryInterface(ISWbemLocator)", "Locator.ConnectServer(.,root\\CIMV2,,,,,0,none)",
                          "Services.InstancesOf(Win32_BIOS,17,none)", "ObjectSet.Count()", "ObjectSet._NewEnum()",
                          "ObjectEnum.QueryInterface(IEnumVARIANT)", "ObjectEnum.Next(1)",
                          "Object.QueryInterface(ISWbemObject)", "Object.Properties_()", "PropertySet.Count()",
                          "PropertySet._NewEnum()", "PropertyEnum.QueryInterface(IEnumVARIANT)", "PropertyEnum.Next(1)",
                          "Property.QueryInterface(ISWbemProperty)", "Property.Value(Name)", "Property.CIMType(Name)",
                          "Property.Name(Name)", "PropertyEnum.Next(1)", "Property.QueryInterface(ISWbemProperty)",
                          "Property.Value(Size)", "Property.CIMType(Size)", "Property.Name(Size)",
                          "PropertyEnum.Next(1)", "ObjectEnum.Next(1)"));
}

TEST_F(QueryWmiTableTest, RealValuesUseTheUsersDecimalSeparator) {
  runtime_.Class(kNamespace, u"C").instances = {
      Instance({fakes::Prop(u"R", 5, Variant::Real64(2.5)), fakes::Prop(u"S", 4, Variant::Real32(0.25f))}),
      Instance({fakes::Prop(u"R", 5, Variant::Real64(-1e-7)), fakes::Prop(u"S", 4, Variant::Real32(8))})};
  ASSERT_EQ(Run(u"C"), 2);
  const Text separator = syscode::UserDecimalSeparator();
  EXPECT_EQ(table_[1][1], u"2" + separator + u"5");
  EXPECT_EQ(table_[1][2], u"0" + separator + u"25");
  EXPECT_EQ(table_[2][1], u"-1E-7");
  EXPECT_EQ(table_[2][2], u"8");
}

TEST_F(QueryWmiTableTest, LaterInstancesDoNotReadNames) {
  runtime_.Class(kNamespace, u"C").instances = Abc(3);
  ASSERT_EQ(Run(u"C"), 3);
  EXPECT_EQ(runtime_.Calls("Property.Name").size(), 3u);
  EXPECT_EQ(runtime_.Calls("Property.Value").size(), 9u);
}

TEST_F(QueryWmiTableTest, RunningLocatorIsUsedWithoutCreatingOne) {
  runtime_.running_object = runtime_.NewLocator();
  runtime_.Class(kNamespace, u"C").instances = Abc(1);
  EXPECT_EQ(Run(u"C"), 3);
  EXPECT_TRUE(runtime_.Calls("CoCreateInstance").empty());
  runtime_.running_object.reset();
}

struct PathCase {
  const char* name;
  Text text;
  bool query_path;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class QueryPathTest : public QueryWmiTableTest, public testing::WithParamInterface<PathCase> {};

TEST_P(QueryPathTest, SelectInCapitalsAtTheStartTakesTheQueryPath) {
  runtime_.Query(GetParam().text).instances = Abc(1);
  runtime_.Class(kNamespace, GetParam().text).instances = Abc(1);
  ASSERT_EQ(Run(GetParam().text), 3);
  const std::string text = syscode::ToUtf8(GetParam().text);
  if (GetParam().query_path) {
    EXPECT_THAT(runtime_.Calls("Services.ExecQuery"), ElementsAre("Services.ExecQuery(" + text + ",WQL,16,none)"));
    EXPECT_TRUE(runtime_.Calls("Services.InstancesOf").empty());
  } else {
    EXPECT_THAT(runtime_.Calls("Services.InstancesOf"), ElementsAre("Services.InstancesOf(" + text + ",17,none)"));
    EXPECT_TRUE(runtime_.Calls("Services.ExecQuery").empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, QueryPathTest,
                         testing::Values(PathCase{"capitals", u"SELECT * FROM Win32_BIOS", true},
                                         PathCase{"word_only", u"SELECT", true}, PathCase{"glued", u"SELECTION", true},
                                         PathCase{"lower_case", u"select * from Win32_BIOS", false},
                                         PathCase{"mixed_case", u"Select * from Win32_BIOS", false},
                                         PathCase{"leading_blank", u" SELECT * FROM Win32_BIOS", false},
                                         PathCase{"leading_tab", u"\tSELECT * FROM Win32_BIOS", false},
                                         PathCase{"class_name", u"Win32_BIOS", false},
                                         PathCase{"shorter_than_select", u"SELEC", false}),
                         [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST_F(QueryWmiTableTest, ClassWithoutInstancesGivesNoRows) {
  runtime_.Class(kNamespace, u"Win32_PhysicalMedia");
  EXPECT_EQ(Run(u"Win32_PhysicalMedia"), 0);
  EXPECT_EQ(count_, 0);
  EXPECT_TRUE(table_.empty());
  EXPECT_EQ(error_, u"");
  EXPECT_TRUE(runtime_.Calls("ObjectSet._NewEnum").empty());
}

TEST_F(QueryWmiTableTest, RowNumbersCountFromOne) {
  runtime_.Class(kNamespace, u"C").instances = Abc(11);
  ASSERT_EQ(Run(u"C"), 3);
  ASSERT_EQ(table_.size(), 12u);
  for (size_t r = 1; r <= 11; ++r) {
    EXPECT_EQ(table_[r][0], syscode::DecimalText(static_cast<unsigned long long>(r)));
    EXPECT_EQ(table_[r][3], u"c" + table_[r][0]);
  }
}

TEST_F(QueryWmiTableTest, RejectedNamespaceOrClassFails) {
  runtime_.Class(kNamespace, u"C").instances = Abc(1);
  EXPECT_EQ(Run(u"C", u"root\\nowhere"), -1);
  EXPECT_EQ(error_, u"Invalid namespace");
  EXPECT_EQ(count_, 0);
  EXPECT_TRUE(table_.empty());

  EXPECT_EQ(Run(u"Win32_Nothing"), -1);
  EXPECT_EQ(error_, u"Invalid class");
  EXPECT_EQ(count_, 0);
  EXPECT_TRUE(table_.empty());

  EXPECT_EQ(Run(u"SELECT * FROM Nothing"), -1);
  EXPECT_EQ(error_, u"Invalid query");
}

TEST_F(QueryWmiTableTest, FailureInTheThirdInstanceKeepsWhatWasStored) {
  runtime_.Class(kNamespace, u"C").instances = Abc(4);
  // Instance 3, property B: the 8th value read.
  runtime_.FailCall("Property.Value", 8, wmi::kWBEM_E_FAILED, u"Generic failure ");
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Generic failure");
  EXPECT_EQ(count_, 4);
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"B", u"C"},
                                   {u"1", u"a1", u"b1", u"c1"},
                                   {u"2", u"a2", u"b2", u"c2"},
                                   {u"3", u"a3", u"", u""},
                                   {u"", u"", u"", u""}}));
}

TEST_F(QueryWmiTableTest, FailedValueOfTheFirstInstanceLeavesItsHeaderCellEmpty) {
  runtime_.Class(kNamespace, u"C").instances = Abc(2);
  runtime_.FailCall("Property.Value", 2, wmi::kE_FAIL);
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Unspecified error");
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"", u""}, {u"1", u"a1", u"", u""}, {u"", u"", u"", u""}}));
  EXPECT_TRUE(runtime_.Calls("Property.Name(B)").empty());
}

TEST_F(QueryWmiTableTest, FewerInstancesThanCountLeaveRowsEmpty) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(2);
  c.instances[1].properties.pop_back();
  c.reported_count = 4;
  EXPECT_EQ(Run(u"C"), 2);  // the last instance delivered
  EXPECT_EQ(count_, 4);
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"B", u"C"},
                                   {u"1", u"a1", u"b1", u"c1"},
                                   {u"2", u"a2", u"b2", u""},
                                   {u"", u"", u"", u""},
                                   {u"", u"", u"", u""}}));
  EXPECT_EQ(error_, u"");
}

TEST_F(QueryWmiTableTest, MoreInstancesThanCountAreWalkedButNotStored) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(3);
  c.instances[2].properties.push_back(TextProp(u"D", u"d3"));
  c.reported_count = 1;
  EXPECT_EQ(Run(u"C"), 4);
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"B", u"C"}, {u"1", u"a1", u"b1", u"c1"}}));
  EXPECT_EQ(runtime_.Calls("Property.Value").size(), 10u);  // every property converted
}

TEST_F(QueryWmiTableTest, DeliveredInstancesWithoutCountAreNotWalked) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(2);
  c.reported_count = 0;
  EXPECT_EQ(Run(u"C"), 0);
  EXPECT_TRUE(table_.empty());
  EXPECT_TRUE(runtime_.Calls("ObjectEnum.Next").empty());
}

TEST_F(QueryWmiTableTest, NegativeCountStoresNothing) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(2);
  c.reported_count = -1;
  EXPECT_EQ(Run(u"C"), 3);
  EXPECT_EQ(count_, -1);
  EXPECT_TRUE(table_.empty());
}

TEST_F(QueryWmiTableTest, InstancesWithDifferingPropertyCounts) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(3);
  c.instances[1].properties.pop_back();
  c.instances[2].properties.push_back(TextProp(u"D", u"d3"));
  c.instances[2].properties.push_back(TextProp(u"E", u"e3"));
  EXPECT_EQ(Run(u"C"), 5);  // wider than the header: the last instance's count
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"B", u"C"},
                                   {u"1", u"a1", u"b1", u"c1"},
                                   {u"2", u"a2", u"b2", u""},
                                   {u"3", u"a3", u"b3", u"c3"}}));
}

TEST_F(QueryWmiTableTest, FirstInstanceDeliveringMorePropertiesThanItsCount) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(1);
  c.instances[0].reported_count = 2;
  EXPECT_EQ(Run(u"C"), 2);
  EXPECT_EQ(table_, (T2DimStrArray{{u"Instance", u"A", u"B"}, {u"1", u"a1", u"b1"}}));
  EXPECT_EQ(runtime_.Calls("Property.Name").size(), 3u);  // read, not stored
}

TEST_F(QueryWmiTableTest, EnumeratorStoppingWithAnErrorEndsTheWalkQuietly) {
  runtime_.Class(kNamespace, u"C").instances = Abc(3);
  runtime_.FailCall("ObjectEnum.Next", 2, wmi::kE_FAIL, u"should not show");
  runtime_.FailCall("PropertyEnum.Next", 3, wmi::kWBEM_E_FAILED);
  EXPECT_EQ(Run(u"C"), 3);
  EXPECT_EQ(error_, u"");
  EXPECT_EQ(count_, 3);
  EXPECT_EQ(
      table_,
      (T2DimStrArray{
          {u"Instance", u"A", u"B", u""}, {u"1", u"a1", u"b1", u""}, {u"", u"", u"", u""}, {u"", u"", u"", u""}}));
  wmi::ClearThreadErrorInfo();
}

TEST_F(QueryWmiTableTest, TableIsEmptiedWhateverTheOutcome) {
  runtime_.Class(kNamespace, u"Empty");
  runtime_.Class(kNamespace, u"One").instances = Abc(1);
  for (const Text& what : {Text(u"Empty"), Text(u"One"), Text(u"Missing")}) {
    table_ = {{u"old", u"old", u"old", u"old", u"old"}, {u"old"}, {u"old"}, {u"old"}};
    Run(what);
    for (const Row& row : table_) {
      for (const Text& cell : row) EXPECT_NE(cell, u"old") << syscode::ToUtf8(what);
    }
    EXPECT_LE(table_.size(), 2u) << syscode::ToUtf8(what);
  }
}

TEST_F(QueryWmiTableTest, OutputsAreResetAtTheStart) {
  runtime_.Class(kNamespace, u"Empty");
  count_ = 99;
  error_ = u"earlier";
  EXPECT_EQ(Run(u"Empty"), 0);
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(error_, u"");
}

struct MessageCase {
  const char* name;
  Fault fault;
  Text error_text;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class FailureMessageTest : public QueryWmiTableTest, public testing::WithParamInterface<MessageCase> {};

TEST_P(FailureMessageTest, ErrorTextIsTheTrimmedMessage) {
  runtime_.Class(kNamespace, u"C").instances = Abc(2);
  runtime_.AddFault(GetParam().fault);
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, GetParam().error_text);
}

const auto kReturn = Fault::Kind::kReturn;
const auto kThrow = Fault::Kind::kThrow;

INSTANTIATE_TEST_SUITE_P(
    Messages, FailureMessageTest,
    testing::Values(
        MessageCase{"description_trimmed",
                    {"ObjectSet.Count", 1, wmi::kWBEM_E_FAILED, u"  Access denied. \r\n", kReturn},
                    u"Access denied"},
        MessageCase{"description_periods", {"Object.Properties_", 1, wmi::kE_FAIL, u"Stopped...", kReturn}, u"Stopped"},
        MessageCase{"system_message",
                    {"ObjectSet._NewEnum", 1, wmi::kE_OUTOFMEMORY, u"", kReturn},
                    u"Not enough memory resources are available to complete this operation"},
        MessageCase{"system_message_of_access_denied",
                    {"Locator.ConnectServer", 1, static_cast<wmi::HRESULT>(0x80070005u), u"", kReturn},
                    u"Access is denied"},
        MessageCase{"no_system_message",
                    {"PropertySet.Count", 1, wmi::kWBEM_E_INVALID_CLASS, u"", kReturn},
                    u"OLE error 80041010"},
        MessageCase{"lower_hex_digits",
                    {"PropertySet._NewEnum", 1, static_cast<wmi::HRESULT>(0x8abcdef0u), u"", kReturn},
                    u"OLE error 8ABCDEF0"},
        MessageCase{"name_fails", {"Property.Name", 2, wmi::kE_FAIL, u"", kReturn}, u"Unspecified error"},
        MessageCase{"cim_type_fails", {"Property.CIMType", 4, wmi::kE_FAIL, u"Type unknown", kReturn}, u"Type unknown"},
        MessageCase{
            "thrown_message_trimmed", {"Property.Value", 1, 0, u"\r\n  Out of disk  \r\n", kThrow}, u"Out of disk"},
        MessageCase{
            "thrown_message_cut_at_nul", {"Property.Value", 1, 0, Text(u"first \0second", 13), kThrow}, u"first"},
        MessageCase{"thrown_without_message", {"Property.Value", 1, 0, u"", kThrow}, u""},
        MessageCase{"out_of_memory", {"Object.Properties_", 2, 0, u"", Fault::Kind::kThrowBadAlloc}, u"Out of memory"},
        MessageCase{"services_missing",
                    {"Locator.ConnectServer", 1, wmi::kS_OK, u"", Fault::Kind::kReturnNothing},
                    u"Invalid pointer"},
        MessageCase{"object_set_missing",
                    {"Services.InstancesOf", 1, wmi::kS_OK, u"", Fault::Kind::kReturnNothing},
                    u"Invalid pointer"},
        MessageCase{"enumerator_missing",
                    {"ObjectSet._NewEnum", 1, wmi::kS_OK, u"", Fault::Kind::kReturnNothing},
                    u"Interface not supported"},
        MessageCase{"enumerator_refuses_interface",
                    {"ObjectEnum.QueryInterface", 1, wmi::kE_NOINTERFACE, u"", kReturn},
                    u"Interface not supported"},
        MessageCase{"instance_refuses_interface",
                    {"Object.QueryInterface", 2, wmi::kE_NOINTERFACE, u"", kReturn},
                    u"Interface not supported"},
        MessageCase{"property_refuses_interface",
                    {"Property.QueryInterface", 1, wmi::kE_NOINTERFACE, u"", kReturn},
                    u"Interface not supported"},
        MessageCase{"property_enumerator_refuses_interface",
                    {"PropertyEnum.QueryInterface", 1, wmi::kE_NOINTERFACE, u"", kReturn},
                    u"Interface not supported"}),
    [](const testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

TEST_F(QueryWmiTableTest, DeliveredItemThatIsNoObjectFails) {
  auto& c = runtime_.Class(kNamespace, u"C");
  c.instances = Abc(2);
  c.instances[1].delivered_as = Variant::Int32(5);
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Could not convert variant of type (Integer) into type (Dispatch)");
  EXPECT_EQ(table_[1][1], u"a1");

  c.instances[1].delivered_as.reset();
  c.instances[0].properties[0].delivered_as = Variant::Empty();
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Could not convert variant of type (Empty) into type (Dispatch)");
}

TEST_F(QueryWmiTableTest, LocatorThatCannotBeCreated) {
  runtime_.Class(kNamespace, u"C").instances = Abc(1);
  runtime_.FailCall("CoCreateInstance", 1, wmi::kREGDB_E_CLASSNOTREG, u"not this");
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Class not registered, ClassID: {76A64158-CB41-11D1-8B02-00600806D9B6}");
  wmi::ClearThreadErrorInfo();

  runtime_.FailCall("CoCreateInstance", 2, static_cast<wmi::HRESULT>(0x80040111u));
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"OLE error 80040111, ClassID: {76A64158-CB41-11D1-8B02-00600806D9B6}");
}

TEST_F(QueryWmiTableTest, LocatorWithoutTheLocatorInterface) {
  runtime_.Class(kNamespace, u"C").instances = Abc(1);
  runtime_.FailCall("Locator.QueryInterface", 1, wmi::kE_NOINTERFACE);
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_, u"Interface not supported");
}

TEST_F(QueryWmiTableTest, CreationGivingNoObjectFailsTheConsistencyCheck) {
  runtime_.Class(kNamespace, u"C").instances = Abc(1);
  runtime_.AddFault({"CoCreateInstance", 1, wmi::kS_OK, u"", Fault::Kind::kReturnNothing});
  EXPECT_EQ(Run(u"C"), -1);
  EXPECT_EQ(error_,
            u"DefaultInterface is NULL. Component is not connected to Server. You must call 'Connect' or "
            u"'ConnectTo' before this operation (WbemScripting_TLB, line 2795)");
}

TEST_F(QueryWmiTableTest, TwoCallsUseTwoLocators) {
  runtime_.Class(kNamespace, u"C").instances = Abc(2);
  EXPECT_EQ(Run(u"C"), 3);
  const T2DimStrArray first = table_;
  EXPECT_EQ(runtime_.live_objects(), 0);
  EXPECT_EQ(Run(u"C"), 3);
  EXPECT_EQ(table_, first);
  EXPECT_EQ(runtime_.Calls("CoCreateInstance").size(), 2u);
  EXPECT_EQ(runtime_.Calls("Locator.ConnectServer").size(), 2u);
}

// Every call of a request fails once in turn: the request ends with -1 (or,
// for an enumerator's Next, quietly), and everything is released.
class EveryCallFailsTest : public QueryWmiTableTest, public testing::WithParamInterface<const char*> {};

TEST_P(EveryCallFailsTest, ReleasesEverything) {
  runtime_.Class(kNamespace, u"C").instances = Abc(2);
  const std::string call = GetParam();
  runtime_.FailCall(call, 1, wmi::kE_FAIL);
  const std::int32_t result = Run(u"C");
  if (call.ends_with(".Next")) {
    EXPECT_EQ(result, call == "ObjectEnum.Next" ? 0 : 3);
    EXPECT_EQ(error_, u"");
  } else {
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(error_.empty());
  }
  wmi::ClearThreadErrorInfo();
  // TearDown checks that nothing is left alive.
}

INSTANTIATE_TEST_SUITE_P(Calls, EveryCallFailsTest,
                         testing::Values("CoCreateInstance", "Locator.QueryInterface", "Locator.ConnectServer",
                                         "Services.InstancesOf", "ObjectSet.Count", "ObjectSet._NewEnum",
                                         "ObjectEnum.QueryInterface", "ObjectEnum.Next", "Object.QueryInterface",
                                         "Object.Properties_", "PropertySet.Count", "PropertySet._NewEnum",
                                         "PropertyEnum.QueryInterface", "PropertyEnum.Next", "Property.QueryInterface",
                                         "Property.Value", "Property.CIMType", "Property.Name"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '.' || c == '_') c = 'X';
                           }
                           return name;
                         });

TEST(ExceptionTextTest, TrimsAndCutsTheMessage) {
  auto text_of = [](auto failure) { return wmi::ExceptionText(std::make_exception_ptr(failure)); };
  EXPECT_EQ(text_of(syscode::Exception(u" \t message \r\n")), u"message");
  EXPECT_EQ(text_of(syscode::Exception(Text(u"cut\0 here", 9))), u"cut");
  EXPECT_EQ(text_of(syscode::Exception(u"")), u"");
  EXPECT_EQ(text_of(42), u"");
  EXPECT_EQ(wmi::ExceptionText(nullptr), u"");
}

class LocatorWrapperTest : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(wmi::TSWbemLocator::LocatorServerData().InstanceCount, 0); }
  FakeComRuntime runtime_;
};

TEST_F(LocatorWrapperTest, CreationCountsAndConnectsNothing) {
  {
    wmi::TSWbemLocator locator(nullptr, runtime_);
    EXPECT_EQ(wmi::TSWbemLocator::LocatorServerData().InstanceCount, 1);
    EXPECT_EQ(locator.ConnectKind(), wmi::TConnectKind::ckRunningOrNew);
    EXPECT_FALSE(locator.AutoConnect());
    EXPECT_EQ(locator.ServerData()->ClassID, wmi::kCLSID_SWbemLocator);
    EXPECT_EQ(locator.ServerData()->IntfIID, wmi::kIID_ISWbemLocator);
    EXPECT_EQ(locator.ServerData()->EventIID, wmi::kGUID_NULL);
    EXPECT_TRUE(runtime_.log.empty());
  }
  EXPECT_EQ(runtime_.live_objects(), 0);
}

TEST_F(LocatorWrapperTest, OwnerFreesTheWrapper) {
  auto owner = std::make_unique<wmi::TComponent>(nullptr);
  auto* locator = new wmi::TSWbemLocator(owner.get(), runtime_);
  locator->Connect();
  EXPECT_EQ(runtime_.live_objects(), 1);
  owner.reset();
  EXPECT_EQ(runtime_.live_objects(), 0);
}

TEST_F(LocatorWrapperTest, ConnectToAndDisconnect) {
  wmi::TSWbemLocator locator(nullptr, runtime_);
  std::shared_ptr<wmi::ISWbemLocator> given;
  ASSERT_EQ(wmi::QueryAs(runtime_.NewLocator(), &given), wmi::kS_OK);
  locator.ConnectTo(given);
  EXPECT_EQ(locator.DefaultInterface(), given);
  EXPECT_TRUE(runtime_.Calls("CoCreateInstance").empty());
  locator.Disconnect();
  given.reset();
  EXPECT_EQ(runtime_.live_objects(), 0);
  EXPECT_NE(locator.DefaultInterface(), nullptr);  // connects anew
  EXPECT_EQ(runtime_.Calls("CoCreateInstance").size(), 1u);
  locator.Disconnect();
  EXPECT_EQ(runtime_.live_objects(), 0);
}

TEST_F(LocatorWrapperTest, ConnectServerPassesItsArgumentsUnchanged) {
  runtime_.AddNamespace(u"root\\default");
  wmi::TSWbemLocator locator(nullptr, runtime_);
  auto named = runtime_.NewLocator();  // any object stands for a named-value set
  auto services = locator.ConnectServer(u"host", u"root\\default", u"me", u"pw", u"MS_409", u"ntlm", 128, named);
  EXPECT_NE(services, nullptr);
  EXPECT_THAT(runtime_.Calls("Locator.ConnectServer"),
              ElementsAre("Locator.ConnectServer(host,root\\default,me,pw,MS_409,ntlm,128,set)"));
}

TEST_F(LocatorWrapperTest, SecurityIsTheDefaultInterfacesOwn) {
  {
    wmi::TSWbemLocator locator(nullptr, runtime_);
    auto security = locator.Security_();
    EXPECT_NE(security, nullptr);
    EXPECT_EQ(runtime_.Calls("CoCreateInstance").size(), 1u) << "connects first";
    EXPECT_THAT(runtime_.Calls("Locator.Security_"), ElementsAre("Locator.Security_()"));
    locator.Disconnect();
    EXPECT_EQ(runtime_.live_objects(), 1) << "the settings object is the caller's";
  }
  EXPECT_EQ(runtime_.live_objects(), 0);
}

TEST_F(LocatorWrapperTest, SecurityFailureRaisesTheCallsMessage) {
  runtime_.FailCall("Locator.Security_", 1, wmi::kE_FAIL, u"no settings here. ");
  wmi::TSWbemLocator locator(nullptr, runtime_);
  try {
    locator.Security_();
    FAIL() << "no error raised";
  } catch (const wmi::EOleException& e) {
    EXPECT_EQ(e.Message(), u"no settings here");
    EXPECT_EQ(e.ErrorCode(), wmi::kE_FAIL);
  }
  locator.Disconnect();
  EXPECT_EQ(runtime_.live_objects(), 0);
}

}  // namespace
