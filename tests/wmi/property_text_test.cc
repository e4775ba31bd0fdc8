#include "wmi/property_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fakes/fake_wmi.h"
#include "base/errors.h"
#include "wmi/ole_error.h"

namespace {

using syscode::Text;
using wmi::HRESULT;
using wmi::Variant;
using wmi::VarType;

// One property with a fixed value and type, recording which of its
// properties were read; Value or CIMType can fail.
class StubProperty : public wmi::ISWbemProperty {
 public:
  StubProperty(std::int32_t cim_type, Variant value) : cim_type_(cim_type), value_(std::move(value)) {}

  HRESULT QueryInterface(const wmi::Guid&, std::shared_ptr<wmi::IUnknownObject>*) override {
    return wmi::kE_NOINTERFACE;
  }
  HRESULT Value(Variant* value) override {
    reads.push_back("Value");
    if (wmi::Failed(value_hr)) return value_hr;
    *value = value_;
    return wmi::kS_OK;
  }
  HRESULT Name(Text* name) override {
    reads.push_back("Name");
    name->assign(1, u'P');
    return wmi::kS_OK;
  }
  HRESULT CIMType(std::int32_t* type) override {
    reads.push_back("CIMType");
    if (wmi::Failed(type_hr)) return type_hr;
    *type = cim_type_;
    return wmi::kS_OK;
  }

  std::vector<std::string> reads;
  HRESULT value_hr = wmi::kS_OK;
  HRESULT type_hr = wmi::kS_OK;

 private:
  std::int32_t cim_type_;
  Variant value_;
};

class PropertyTextTest : public testing::Test {
 protected:
  Text TextOf(std::int32_t cim_type, Variant value, const Text& separator = u".") {
    StubProperty property(cim_type, std::move(value));
    return wmi::WmiPropertyText(property, runtime_, separator);
  }
  // The message WmiPropertyText raises, or "" when it gives text.
  Text FailureOf(std::int32_t cim_type, Variant value) {
    try {
      TextOf(cim_type, std::move(value));
    } catch (const syscode::Exception& e) {
      return e.Message();
    }
    return Text();
  }

  fakes::FakeComRuntime runtime_;
};

struct TextCase {
  const char* name;
  std::int32_t cim_type;
  Variant value;
  Text expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class PropertyTextRuleTest : public PropertyTextTest, public testing::WithParamInterface<TextCase> {};

TEST_P(PropertyTextRuleTest, GivesText) {
  EXPECT_EQ(TextOf(GetParam().cim_type, GetParam().value), GetParam().expected);
}

Variant Bytes(std::vector<std::uint8_t> values) {
  std::vector<Variant> elements;
  for (std::uint8_t v : values) elements.push_back(Variant::UInt8(v));
  return Variant::Array(VarType::kUInt8, elements);
}

Variant Texts(std::vector<Text> values) {
  std::vector<Variant> elements;
  for (Text& v : values) elements.push_back(Variant::String(v));
  return Variant::Array(VarType::kText, elements);
}

INSTANTIATE_TEST_SUITE_P(
    IntegerRule, PropertyTextRuleTest,
    testing::Values(TextCase{"sint32_negative", wmi::cim::kSint32, Variant::Int32(-42), u"-42"},
                    TextCase{"sint8", wmi::cim::kSint8, Variant::Int8(-7), u"-7"},
                    TextCase{"uint8", wmi::cim::kUint8, Variant::UInt8(200), u"200"},
                    TextCase{"sint16_delivered_as_int32", wmi::cim::kSint16, Variant::Int32(-300), u"-300"},
                    TextCase{"uint16", wmi::cim::kUint16, Variant::Int32(65535), u"65535"},
                    TextCase{"uint32_signature", wmi::cim::kUint32, Variant::Int32(305419896), u"305419896"},
                    TextCase{"uint32_delivered_negative", wmi::cim::kUint32, Variant::Int32(-1), u"-1"},
                    TextCase{"sint64_min_as_text", wmi::cim::kSint64, Variant::String(u"-9223372036854775808"),
                             u"-9223372036854775808"},
                    TextCase{"sint64_max", wmi::cim::kSint64, Variant::Int64(9223372036854775807LL),
                             u"9223372036854775807"},
                    TextCase{"text_with_blanks", wmi::cim::kUint32, Variant::String(u" 0012 "), u"12"},
                    TextCase{"empty_value", wmi::cim::kSint32, Variant::Empty(), u"0"},
                    TextCase{"bool_value", wmi::cim::kSint16, Variant::Bool(true), u"-1"},
                    TextCase{"uint8_array", wmi::cim::kUint8, Bytes({1, 2, 3}), u"1|2|3"},
                    TextCase{"one_element_array", wmi::cim::kUint16, Bytes({7}), u"7"},
                    TextCase{"empty_array", wmi::cim::kSint32, Bytes({}), u""},
                    TextCase{"array_with_empty_element", wmi::cim::kSint32,
                             Variant::Array(VarType::kInt32, {Variant::Int32(5), Variant::Empty(), Variant::Int32(-6)}),
                             u"5|0|-6"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TextRule, PropertyTextRuleTest,
    testing::Values(
        TextCase{"string_unchanged", wmi::cim::kString, Variant::String(u"  To Be Filled \t"), u"  To Be Filled \t"},
        TextCase{"string_empty", wmi::cim::kString, Variant::String(u""), u""},
        TextCase{"string_unassigned", wmi::cim::kString, Variant::Empty(), u""},
        TextCase{"string_array", wmi::cim::kString, Texts({u"a", u"", u"b"}), u"a||b"},
        TextCase{"string_array_one", wmi::cim::kString, Texts({u"only"}), u"only"},
        TextCase{"string_array_empty", wmi::cim::kString, Texts({}), u""},
        TextCase{"uint64_above_int64", wmi::cim::kUint64, Variant::UInt64(18446744073709551615ULL),
                 u"18446744073709551615"},
        TextCase{"uint64_as_text", wmi::cim::kUint64, Variant::String(u"18446744073709551615"),
                 u"18446744073709551615"},
        TextCase{"uint64_array", wmi::cim::kUint64,
                 Variant::Array(VarType::kUInt64, {Variant::UInt64(9223372036854775808ULL), Variant::UInt64(1)}),
                 u"9223372036854775808|1"},
        TextCase{"datetime", wmi::cim::kDatetime, Variant::String(u"20261209223000.000000+000"),
                 u"20261209223000.000000+000"},
        TextCase{"reference", wmi::cim::kReference, Variant::String(u"Win32_BIOS.Name=\"x\""),
                 u"Win32_BIOS.Name=\"x\""}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FixedRules, PropertyTextRuleTest,
    testing::Values(TextCase{"bool_true", wmi::cim::kBoolean, Variant::Bool(true), u"True"},
                    TextCase{"bool_false", wmi::cim::kBoolean, Variant::Bool(false), u"False"},
                    TextCase{"bool_from_int", wmi::cim::kBoolean, Variant::Int32(1), u"True"},
                    TextCase{"object", wmi::cim::kObject, Variant::Object(nullptr), u"<CIM Object>"},
                    TextCase{"object_whatever_value", wmi::cim::kObject, Bytes({1, 2}), u"<CIM Object>"},
                    TextCase{"char16", wmi::cim::kChar16, Variant::Int16(65), u"<16-bit character>"},
                    TextCase{"char16_array", wmi::cim::kChar16, Bytes({1}), u"<16-bit character>"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RealRule, PropertyTextRuleTest,
    testing::Values(
        TextCase{"real32_tenth", wmi::cim::kReal32, Variant::Real32(0.1f), u"0.100000001490116"},
        TextCase{"real64_tenth", wmi::cim::kReal64, Variant::Real64(0.1), u"0.1"},
        TextCase{"ten_to_15", wmi::cim::kReal64, Variant::Real64(1e15), u"1E15"},
        TextCase{"just_below_ten_to_15", wmi::cim::kReal64, Variant::Real64(999999999999999.0), u"999999999999999"},
        TextCase{"rounds_up_to_ten_to_15", wmi::cim::kReal64, Variant::Real64(999999999999999.9), u"1E15"},
        TextCase{"fifteen_digits_fixed", wmi::cim::kReal64, Variant::Real64(123456789012345.0), u"123456789012345"},
        TextCase{"ten_to_14_padded", wmi::cim::kReal64, Variant::Real64(1e14), u"100000000000000"},
        TextCase{"ten_thousandth", wmi::cim::kReal64, Variant::Real64(0.0001), u"0.0001"},
        TextCase{"ten_thousandth_digits", wmi::cim::kReal64, Variant::Real64(0.00012), u"0.00012"},
        TextCase{"hundred_thousandth", wmi::cim::kReal64, Variant::Real64(0.00001), u"1E-5"},
        TextCase{"small_with_digits", wmi::cim::kReal64, Variant::Real64(0.00000015), u"1.5E-7"},
        TextCase{"large_with_digits", wmi::cim::kReal64, Variant::Real64(1.25e20), u"1.25E20"},
        TextCase{"negative_large", wmi::cim::kReal64, Variant::Real64(-3e100), u"-3E100"},
        TextCase{"negative_half_and_two", wmi::cim::kReal64, Variant::Real64(-2.5), u"-2.5"},
        TextCase{"fraction_digits", wmi::cim::kReal64, Variant::Real64(1234.5678), u"1234.5678"},
        TextCase{"fifteen_significant", wmi::cim::kReal64, Variant::Real64(2.0 / 3.0), u"0.666666666666667"},
        TextCase{"whole", wmi::cim::kReal64, Variant::Real64(100), u"100"},
        TextCase{"zero", wmi::cim::kReal64, Variant::Real64(0), u"0"},
        TextCase{"negative_zero", wmi::cim::kReal64, Variant::Real64(-0.0), u"0"},
        TextCase{"infinity", wmi::cim::kReal64, Variant::Real64(std::numeric_limits<double>::infinity()), u"INF"},
        TextCase{"negative_infinity", wmi::cim::kReal32, Variant::Real32(-std::numeric_limits<float>::infinity()),
                 u"-INF"},
        TextCase{"nan", wmi::cim::kReal64, Variant::Real64(std::numeric_limits<double>::quiet_NaN()), u"NAN"},
        TextCase{"negative_nan", wmi::cim::kReal64, Variant::Real64(-std::numeric_limits<double>::quiet_NaN()),
                 u"-NAN"},
        TextCase{"smallest_denormal", wmi::cim::kReal64, Variant::Real64(std::numeric_limits<double>::denorm_min()),
                 u"4.94065645841247E-324"},
        TextCase{"integer_value", wmi::cim::kReal64, Variant::Int32(3), u"3"},
        TextCase{"text_value", wmi::cim::kReal64, Variant::String(u"2.5"), u"2.5"},
        TextCase{"unassigned", wmi::cim::kReal32, Variant::Empty(), u"0"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST_F(PropertyTextTest, RealUsesTheGivenDecimalSeparator) {
  EXPECT_EQ(TextOf(wmi::cim::kReal64, Variant::Real64(0.5), u","), u"0,5");
  EXPECT_EQ(TextOf(wmi::cim::kReal64, Variant::Real64(1.5e-7), u","), u"1,5E-7");
  EXPECT_EQ(TextOf(wmi::cim::kReal64, Variant::Real64(1234567.25), u","), u"1234567,25");
  EXPECT_EQ(wmi::RealText(-0.015, u"\u066B"), u"-0\u066B015");
}

TEST_F(PropertyTextTest, NullGivesNullWithoutReadingTheType) {
  for (std::int32_t cim_type : {0, 2, 3, 4, 5, 8, 11, 13, 16, 17, 18, 19, 20, 21, 101, 102, 103, 999}) {
    StubProperty property(cim_type, Variant::Null());
    EXPECT_EQ(wmi::WmiPropertyText(property, runtime_, u"."), u"NULL") << "type " << cim_type;
    EXPECT_EQ(property.reads, std::vector<std::string>{"Value"}) << "type " << cim_type;
  }
}

TEST_F(PropertyTextTest, CodesOutsideTheTableGiveEmptyText) {
  for (std::int32_t cim_type : {0, 1, 6, 7, 9, 10, 12, 14, 15, 22, 50, 100, 104, 1000, -1, -2147483647 - 1}) {
    EXPECT_EQ(TextOf(cim_type, Variant::String(u"value")), u"") << "type " << cim_type;
  }
}

TEST_F(PropertyTextTest, WholeValueRulesRejectArrays) {
  const Variant reals = Variant::Array(VarType::kReal64, {Variant::Real64(1)});
  EXPECT_EQ(FailureOf(wmi::cim::kReal64, reals),
            u"Could not convert variant of type (Array Double) into type (Double)");
  EXPECT_EQ(FailureOf(wmi::cim::kBoolean, Variant::Array(VarType::kBool, {Variant::Bool(true)})),
            u"Could not convert variant of type (Array Boolean) into type (Boolean)");
  EXPECT_EQ(FailureOf(wmi::cim::kDatetime, Texts({u"x"})),
            u"Could not convert variant of type (Array OleStr) into type (OleStr)");
  EXPECT_EQ(FailureOf(wmi::cim::kReference, Texts({})),
            u"Could not convert variant of type (Array OleStr) into type (OleStr)");
}

TEST_F(PropertyTextTest, IntegerRuleFailsOnValuesWithoutInt64) {
  EXPECT_EQ(FailureOf(wmi::cim::kSint32, Variant::String(u"abc")),
            u"Could not convert variant of type (OleStr) into type (Int64)");
  EXPECT_EQ(FailureOf(wmi::cim::kSint64, Variant::UInt64(18446744073709551615ULL)),
            u"Overflow while converting variant of type (UInt64) into type (Int64)");
  EXPECT_EQ(FailureOf(wmi::cim::kUint32, Texts({u"1", u"x"})),
            u"Could not convert variant of type (OleStr) into type (Int64)");
}

TEST_F(PropertyTextTest, FailedReadsRaiseTheirError) {
  StubProperty value_fails(wmi::cim::kString, Variant::String(u"x"));
  value_fails.value_hr = wmi::kWBEM_E_FAILED;
  wmi::SetThreadErrorInfo(u"Generic failure \r\n");
  try {
    wmi::WmiPropertyText(value_fails, runtime_, u".");
    FAIL() << "no error";
  } catch (const wmi::EOleException& e) {
    EXPECT_EQ(e.Message(), u"Generic failure");
    EXPECT_EQ(e.ErrorCode(), wmi::kWBEM_E_FAILED);
  }
  EXPECT_EQ(value_fails.reads, std::vector<std::string>{"Value"});

  StubProperty type_fails(wmi::cim::kString, Variant::String(u"x"));
  type_fails.type_hr = wmi::kE_FAIL;
  try {
    wmi::WmiPropertyText(type_fails, runtime_, u".");
    FAIL() << "no error";
  } catch (const wmi::EOleException& e) {
    EXPECT_EQ(e.Message(), u"Unspecified error");
  }
}

}  // namespace
