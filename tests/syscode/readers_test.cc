#include "syscode/readers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_wmi.h"
#include "wmi/property_text.h"

namespace {

using fakes::FakeComRuntime;
using fakes::FakeInstance;
using fakes::Instance;
using fakes::Prop;
using fakes::TextProp;
using syscode::kSources;
using syscode::Text;
using wmi::Variant;

const Text kNamespace = u"root\\CIMV2";

class ReadersTest : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(runtime_.live_objects(), 0); }

  // Reader `index` over a class whose instances are `instances`.
  Text Read(int index, std::vector<FakeInstance> instances) {
    runtime_.Class(kNamespace, kSources[index].wmi_class).instances = std::move(instances);
    return (readers_.*kSources[index].read)();
  }

  // One instance holding the source's property with `value` (CIM type
  // string) between two other properties.
  static std::vector<FakeInstance> OneValue(int index, Variant value, std::int32_t cim_type = wmi::cim::kString) {
    return {Instance({TextProp(u"Caption", u"cap"), Prop(kSources[index].property, cim_type, std::move(value)),
                      TextProp(u"Status", u"OK")})};
  }

  FakeComRuntime runtime_;
  syscode::WmiHardwareSources readers_{runtime_};
};

TEST_F(ReadersTest, EachReaderEnumeratesItsClassWithFixedArguments) {
  for (int i = 0; i < syscode::kSourceCount; ++i) {
    runtime_.log.clear();
    EXPECT_EQ(Read(i, OneValue(i, Variant::String(u" value \r\n"))), u"value") << syscode::ToUtf8(kSources[i].name);
    EXPECT_THAT(runtime_.Calls("Locator.ConnectServer"),
                testing::ElementsAre("Locator.ConnectServer(.,root\\CIMV2,,,,,0,none)"));
    EXPECT_THAT(runtime_.Calls("Services.InstancesOf"),
                testing::ElementsAre("Services.InstancesOf(" + syscode::ToUtf8(kSources[i].wmi_class) + ",17,none)"));
  }
}

struct WordCase {
  const char* name;
  Variant value;
  Text with_test;     // what a reader with the null-word test returns
  Text without_test;  // what the two base-board readers return
};

void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }

class NullWordTest : public ReadersTest, public testing::WithParamInterface<WordCase> {};

TEST_P(NullWordTest, AppliesToTheFiveReadersWithTheTest) {
  for (int i = 0; i < syscode::kSourceCount; ++i) {
    const Text expected = kSources[i].null_word_test ? GetParam().with_test : GetParam().without_test;
    EXPECT_EQ(Read(i, OneValue(i, GetParam().value)), expected) << syscode::ToUtf8(kSources[i].name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Words, NullWordTest,
    testing::Values(WordCase{"null_value", Variant::Null(), u"", u"NULL"},
                    WordCase{"word_NULL", Variant::String(u"NULL"), u"", u"NULL"},
                    WordCase{"word_null", Variant::String(u"null"), u"", u"null"},
                    WordCase{"word_Null", Variant::String(u"Null"), u"", u"Null"},
                    WordCase{"word_with_blanks", Variant::String(u"  Null \t"), u"", u"Null"},
                    WordCase{"mixed_case_is_no_null_word", Variant::String(u"NuLL"), u"NuLL", u"NuLL"},
                    WordCase{"nULL_is_no_null_word", Variant::String(u"nULL"), u"nULL", u"nULL"},
                    WordCase{"longer_word", Variant::String(u"Null value"), u"Null value", u"Null value"},
                    WordCase{"blanks_inside_stay", Variant::String(u"\x01 To Be Filled \x1f"), u"To Be Filled",
                             u"To Be Filled"},
                    WordCase{"empty", Variant::String(u""), u"", u""}),
    [](const testing::TestParamInfo<WordCase>& info) { return std::string(info.param.name); });

TEST_F(ReadersTest, DiskSignatureIsDecimalIntegerText) {
  EXPECT_EQ(Read(6, OneValue(6, Variant::Int32(305419896), wmi::cim::kUint32)), u"305419896");
  EXPECT_EQ(Read(6, OneValue(6, Variant::UInt32(4294967295u), wmi::cim::kUint32)), u"4294967295");
}

TEST_F(ReadersTest, FirstInstanceCounts) {
  std::vector<FakeInstance> drives = OneValue(6, Variant::UInt32(1), wmi::cim::kUint32);
  drives.push_back(OneValue(6, Variant::UInt32(2), wmi::cim::kUint32)[0]);
  EXPECT_EQ(Read(6, drives), u"1");

  std::vector<FakeInstance> media = OneValue(3, Variant::Null());
  media.push_back(OneValue(3, Variant::String(u"S1A7"))[0]);
  EXPECT_EQ(Read(3, media), u"");  // the first medium's null serial, not the second's
}

TEST_F(ReadersTest, HeaderNamesAreTrimmedAndComparedExactly) {
  EXPECT_EQ(Read(0, {Instance({TextProp(u" ProcessorId\t", u"BFEBFBFF000306A9")})}), u"BFEBFBFF000306A9");
  EXPECT_EQ(Read(0, {Instance({TextProp(u"processorid", u"BFEBFBFF000306A9")})}), u"");
  EXPECT_EQ(Read(0, {Instance({TextProp(u"ProcessorIdX", u"BFEBFBFF000306A9")})}), u"");
}

TEST_F(ReadersTest, InstanceColumnNeverMatches) {
  // The property is missing: the reader must not fall back on row 1's number.
  EXPECT_EQ(Read(4, {Instance({TextProp(u"Caption", u"c")})}), u"");
  EXPECT_EQ(Read(4, {Instance({})}), u"");
}

TEST_F(ReadersTest, WalkStaysInsideTheHeaderRow) {
  // The last instance has more properties than the header: the result
  // exceeds the header's width, the walk must not.
  std::vector<FakeInstance> instances = {
      Instance({TextProp(u"A", u"a")}),
      Instance({TextProp(u"A", u"a"), TextProp(u"B", u"b"), TextProp(u"Version", u"v")})};
  EXPECT_EQ(Read(1, instances), u"");
}

TEST_F(ReadersTest, WalkStopsAtTheLastInstancesPropertyCount) {
  // The property stands in column 4 of the header, but the last instance
  // walked has 2 properties, so the query's result n is 2 and the walk over
  // cells 0 to n never reaches column 4.
  std::vector<FakeInstance> instances = {
      Instance({TextProp(u"A", u"a"), TextProp(u"B", u"b"), TextProp(u"C", u"c"), TextProp(u"Version", u"v")}),
      Instance({TextProp(u"A", u"a2"), TextProp(u"B", u"b2")})};
  EXPECT_EQ(Read(1, instances), u"");
}

// Records what each reading saw.
struct RecordingObserver : syscode::ReaderObserver {
  std::vector<std::pair<int, syscode::ReaderDetail>> seen;
  void SourceRead(int index, const syscode::ReaderDetail& detail) override { seen.emplace_back(index, detail); }
};

TEST_F(ReadersTest, ObserverSeesWhyAValueIsEmptyAndTheValueStaysTheSame) {
  RecordingObserver observer;
  readers_.SetObserver(&observer);
  EXPECT_EQ(Read(0, {}), u"");                                        // no instance
  EXPECT_EQ(Read(4, {Instance({TextProp(u"Caption", u"c")})}), u"");  // no such property
  EXPECT_EQ(Read(1, OneValue(1, Variant::Null())), u"");              // null, emptied by the test
  EXPECT_EQ(Read(2, OneValue(2, Variant::Null())), u"NULL");          // null, kept as the word
  EXPECT_EQ(Read(3, OneValue(3, Variant::String(u" S1A7 "))), u"S1A7");
  runtime_.FailCall("Locator.ConnectServer", static_cast<int>(runtime_.Calls("Locator.ConnectServer").size()) + 1,
                    wmi::kWBEM_E_FAILED, u"Access denied ");
  EXPECT_EQ(Read(5, OneValue(5, Variant::String(u"ABC"))), u"");  // failed query
  wmi::ClearThreadErrorInfo();

  ASSERT_EQ(observer.seen.size(), 6u);
  const auto& d = observer.seen;
  EXPECT_EQ(d[0].first, 0);
  EXPECT_EQ(d[0].second.result, 0);
  EXPECT_FALSE(d[0].second.property_found);
  EXPECT_GT(d[1].second.result, 0);
  EXPECT_FALSE(d[1].second.property_found);
  EXPECT_TRUE(d[2].second.property_found);
  EXPECT_TRUE(d[2].second.null_word);
  EXPECT_FALSE(d[3].second.null_word);
  EXPECT_EQ(d[3].second.value, u"NULL");
  EXPECT_EQ(d[4].second.value, u"S1A7");
  EXPECT_EQ(d[5].first, 5);
  EXPECT_EQ(d[5].second.result, -1);
  EXPECT_EQ(d[5].second.error_text, u"Access denied");
}

TEST_F(ReadersTest, FailuresGiveEmptyText) {
  // Fails the `later`-th call named `call` from now on.
  auto fail_ahead = [this](const std::string& call, int later, wmi::HRESULT hr) {
    runtime_.FailCall(call, static_cast<int>(runtime_.Calls(call).size()) + later, hr, u"Failure");
  };
  EXPECT_EQ(Read(0, {}), u"");  // no instance

  fail_ahead("Locator.ConnectServer", 1, wmi::kWBEM_E_FAILED);
  EXPECT_EQ(Read(0, OneValue(0, Variant::String(u"ABC"))), u"");

  fail_ahead("Property.Value", 2, wmi::kE_FAIL);
  EXPECT_EQ(Read(0, OneValue(0, Variant::String(u"ABC"))), u"");

  fail_ahead("CoCreateInstance", 1, wmi::kREGDB_E_CLASSNOTREG);
  EXPECT_EQ(Read(2, OneValue(2, Variant::String(u"ABC"))), u"");

  // A property whose value cannot be turned into text fails the whole query.
  EXPECT_EQ(Read(6, OneValue(6, Variant::String(u"x"), wmi::cim::kUint32)), u"");
  wmi::ClearThreadErrorInfo();
}

TEST_F(ReadersTest, MissingClassGivesEmptyText) { EXPECT_EQ(readers_.ReadBiosName(), u""); }

TEST_F(ReadersTest, NothingIsCachedBetweenReads) {
  runtime_.Class(kNamespace, u"Win32_BIOS").instances = {
      Instance({TextProp(u"Name", u"Default System BIOS"), TextProp(u"Version", u"LENOVO - 1")})};
  EXPECT_EQ(readers_.ReadBiosVersion(), u"LENOVO - 1");
  EXPECT_EQ(readers_.ReadBiosName(), u"Default System BIOS");
  EXPECT_EQ(readers_.ReadBiosVersion(), u"LENOVO - 1");
  EXPECT_EQ(runtime_.Calls("CoCreateInstance").size(), 3u);
  EXPECT_EQ(runtime_.Calls("Services.InstancesOf").size(), 3u);
}

}  // namespace
