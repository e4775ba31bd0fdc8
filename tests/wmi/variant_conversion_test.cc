#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "base/errors.h"
#include "wmi/variant.h"

namespace {

using syscode::Text;
using wmi::Variant;
using wmi::VarType;

// The message a conversion raises, or "" when it succeeds.
Text FailureOf(const std::function<void()>& convert) {
  try {
    convert();
  } catch (const syscode::Exception& e) {
    return e.Message();
  }
  return Text();
}

struct Int64Case {
  const char* name;
  Variant value;
  std::int64_t expected;
};

void PrintTo(const Int64Case& c, std::ostream* os) { *os << c.name; }

class VariantToInt64Test : public testing::TestWithParam<Int64Case> {};

TEST_P(VariantToInt64Test, Converts) { EXPECT_EQ(wmi::VariantToInt64(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Kinds, VariantToInt64Test,
    testing::Values(
        Int64Case{"empty", Variant::Empty(), 0}, Int64Case{"int8", Variant::Int8(-128), -128},
        Int64Case{"uint8", Variant::UInt8(255), 255}, Int64Case{"int16", Variant::Int16(-2), -2},
        Int64Case{"uint16", Variant::UInt16(65535), 65535}, Int64Case{"int32", Variant::Int32(-42), -42},
        Int64Case{"uint32", Variant::UInt32(305419896u), 305419896},
        Int64Case{"int64_min", Variant::Int64(std::numeric_limits<std::int64_t>::min()),
                  std::numeric_limits<std::int64_t>::min()},
        Int64Case{"uint64_at_int64_max", Variant::UInt64(9223372036854775807ULL), 9223372036854775807LL},
        Int64Case{"bool_true", Variant::Bool(true), -1}, Int64Case{"bool_false", Variant::Bool(false), 0},
        Int64Case{"real_half_down_to_even", Variant::Real64(2.5), 2},
        Int64Case{"real_half_up_to_even", Variant::Real64(3.5), 4},
        Int64Case{"real_negative_half", Variant::Real64(-2.5), -2},
        Int64Case{"real_above_half", Variant::Real64(2.51), 3}, Int64Case{"real32", Variant::Real32(7.75f), 8},
        Int64Case{"text_with_blanks", Variant::String(u"  42 \t"), 42},
        Int64Case{"text_plus", Variant::String(u"+7"), 7}, Int64Case{"text_minus", Variant::String(u"-19"), -19},
        Int64Case{"text_fraction_to_even", Variant::String(u"2.5"), 2},
        Int64Case{"text_fraction_up", Variant::String(u"2.500001"), 3},
        Int64Case{"text_fraction_odd", Variant::String(u"-3.5"), -4},
        Int64Case{"text_exponent", Variant::String(u"1.5e3"), 1500},
        Int64Case{"text_leading_zeros", Variant::String(u"000123"), 123},
        Int64Case{"text_max", Variant::String(u"9223372036854775807"), 9223372036854775807LL},
        Int64Case{"text_min", Variant::String(u"-9223372036854775808"), std::numeric_limits<std::int64_t>::min()},
        Int64Case{"text_small_fraction", Variant::String(u".4"), 0}),
    [](const testing::TestParamInfo<Int64Case>& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  std::function<void()> convert;
  Text message;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class VariantConversionFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(VariantConversionFailureTest, RaisesMessage) { EXPECT_EQ(FailureOf(GetParam().convert), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Messages, VariantConversionFailureTest,
    testing::Values(FailureCase{"null_to_int64", [] { wmi::VariantToInt64(Variant::Null()); },
                                u"Could not convert variant of type (Null) into type (Int64)"},
                    FailureCase{"object_to_int64", [] { wmi::VariantToInt64(Variant::Object(nullptr)); },
                                u"Could not convert variant of type (Dispatch) into type (Int64)"},
                    FailureCase{"array_to_int64",
                                [] { wmi::VariantToInt64(Variant::Array(VarType::kUInt8, {Variant::UInt8(1)})); },
                                u"Could not convert variant of type (Array Byte) into type (Int64)"},
                    FailureCase{"text_not_a_number", [] { wmi::VariantToInt64(Variant::String(u"12abc")); },
                                u"Could not convert variant of type (OleStr) into type (Int64)"},
                    FailureCase{"text_empty", [] { wmi::VariantToInt64(Variant::String(u"")); },
                                u"Could not convert variant of type (OleStr) into type (Int64)"},
                    FailureCase{"text_blanks", [] { wmi::VariantToInt64(Variant::String(u"   ")); },
                                u"Could not convert variant of type (OleStr) into type (Int64)"},
                    FailureCase{"text_blank_inside", [] { wmi::VariantToInt64(Variant::String(u"1 2")); },
                                u"Could not convert variant of type (OleStr) into type (Int64)"},
                    FailureCase{"text_above_max", [] { wmi::VariantToInt64(Variant::String(u"9223372036854775808")); },
                                u"Overflow while converting variant of type (OleStr) into type (Int64)"},
                    FailureCase{"text_huge_exponent", [] { wmi::VariantToInt64(Variant::String(u"1e30")); },
                                u"Overflow while converting variant of type (OleStr) into type (Int64)"},
                    FailureCase{"uint64_above_max",
                                [] { wmi::VariantToInt64(Variant::UInt64(9223372036854775808ULL)); },
                                u"Overflow while converting variant of type (UInt64) into type (Int64)"},
                    FailureCase{"real_above_max", [] { wmi::VariantToInt64(Variant::Real64(9.3e18)); },
                                u"Overflow while converting variant of type (Double) into type (Int64)"},
                    FailureCase{"real_nan", [] { wmi::VariantToInt64(Variant::Real64(std::nan(""))); },
                                u"Overflow while converting variant of type (Double) into type (Int64)"},
                    FailureCase{"null_to_double", [] { wmi::VariantToDouble(Variant::Null()); },
                                u"Could not convert variant of type (Null) into type (Double)"},
                    FailureCase{"text_to_double_overflow", [] { wmi::VariantToDouble(Variant::String(u"1e400")); },
                                u"Overflow while converting variant of type (OleStr) into type (Double)"},
                    FailureCase{"array_to_double",
                                [] { wmi::VariantToDouble(Variant::Array(VarType::kReal64, {Variant::Real64(1)})); },
                                u"Could not convert variant of type (Array Double) into type (Double)"},
                    FailureCase{"text_to_bool", [] { wmi::VariantToBool(Variant::String(u"yes")); },
                                u"Could not convert variant of type (OleStr) into type (Boolean)"},
                    FailureCase{"null_to_bool", [] { wmi::VariantToBool(Variant::Null()); },
                                u"Could not convert variant of type (Null) into type (Boolean)"},
                    FailureCase{"null_to_text", [] { wmi::VariantToText(Variant::Null()); },
                                u"Could not convert variant of type (Null) into type (OleStr)"},
                    FailureCase{"array_to_text",
                                [] { wmi::VariantToText(Variant::Array(VarType::kText, {Variant::String(u"a")})); },
                                u"Could not convert variant of type (Array OleStr) into type (OleStr)"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(VariantToDoubleTest, ConvertsNumbersTextAndEmpty) {
  EXPECT_EQ(wmi::VariantToDouble(Variant::Empty()), 0.0);
  EXPECT_EQ(wmi::VariantToDouble(Variant::Int32(-3)), -3.0);
  EXPECT_EQ(wmi::VariantToDouble(Variant::UInt64(18446744073709551615ULL)), 18446744073709551616.0);
  EXPECT_EQ(wmi::VariantToDouble(Variant::Real32(0.1f)), static_cast<double>(0.1f));
  EXPECT_EQ(wmi::VariantToDouble(Variant::Bool(true)), -1.0);
  EXPECT_EQ(wmi::VariantToDouble(Variant::String(u" 2.5 ")), 2.5);
  EXPECT_EQ(wmi::VariantToDouble(Variant::String(u"-1.25E-2")), -0.0125);
  EXPECT_EQ(wmi::VariantToDouble(Variant::String(u"1e-400")), 0.0);
}

TEST(VariantToBoolTest, ConvertsNumbersTextAndEmpty) {
  EXPECT_FALSE(wmi::VariantToBool(Variant::Empty()));
  EXPECT_TRUE(wmi::VariantToBool(Variant::Bool(true)));
  EXPECT_TRUE(wmi::VariantToBool(Variant::Int32(2)));
  EXPECT_FALSE(wmi::VariantToBool(Variant::UInt8(0)));
  EXPECT_TRUE(wmi::VariantToBool(Variant::Real64(0.5)));
  EXPECT_TRUE(wmi::VariantToBool(Variant::String(u" TRUE ")));
  EXPECT_FALSE(wmi::VariantToBool(Variant::String(u"false")));
  EXPECT_FALSE(wmi::VariantToBool(Variant::String(u"0")));
  EXPECT_TRUE(wmi::VariantToBool(Variant::String(u"-1")));
}

TEST(VariantToTextTest, ConvertsScalars) {
  EXPECT_EQ(wmi::VariantToText(Variant::Empty()), u"");
  EXPECT_EQ(wmi::VariantToText(Variant::String(u"  as is ")), u"  as is ");
  EXPECT_EQ(wmi::VariantToText(Variant::Int32(-5)), u"-5");
  EXPECT_EQ(wmi::VariantToText(Variant::UInt64(18446744073709551615ULL)), u"18446744073709551615");
  EXPECT_EQ(wmi::VariantToText(Variant::Bool(true)), u"True");
  EXPECT_EQ(wmi::VariantToText(Variant::Bool(false)), u"False");
}

}  // namespace
