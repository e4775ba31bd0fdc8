// The automation conversions of oleaut32 behind wmi::VariantTo*.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "wmi/variant.h"

namespace {

using syscode::Text;
using wmi::Variant;
using wmi::VarType;

TEST(Win32VariantConversion, IntegersComeFromEveryKindThePlatformConverts) {
  struct Case {
    const char* what;
    Variant value;
    std::int64_t expected;
  };
  const std::vector<Case> cases = {
      {"int32", Variant::Int32(-5), -5},
      {"uint32 max", Variant::UInt32(4294967295u), 4294967295LL},
      {"int64 max as text", Variant::String(u"9223372036854775807"), INT64_MAX},
      {"negative text", Variant::String(u"-17"), -17},
      {"real rounds", Variant::Real64(2.5), 2},
      {"bool true", Variant::Bool(true), -1},
      {"empty", Variant::Empty(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(wmi::VariantToInt64(c.value), c.expected);
  }
}

TEST(Win32VariantConversion, TextOfNumbersBooleansAndLargeUnsigned) {
  EXPECT_EQ(wmi::VariantToText(Variant::UInt64(UINT64_MAX)), u"18446744073709551615");
  EXPECT_EQ(wmi::VariantToText(Variant::Int64(INT64_MIN)), u"-9223372036854775808");
  EXPECT_EQ(wmi::VariantToText(Variant::Bool(true)), u"True");
  EXPECT_EQ(wmi::VariantToText(Variant::Bool(false)), u"False");
  EXPECT_EQ(wmi::VariantToText(Variant::String(u" as is ")), u" as is ");
  EXPECT_TRUE(wmi::VariantToBool(Variant::String(u"True")));
  EXPECT_FALSE(wmi::VariantToBool(Variant::Int32(0)));
  EXPECT_DOUBLE_EQ(wmi::VariantToDouble(Variant::Real32(0.1f)), static_cast<double>(0.1f));
}

TEST(Win32VariantConversion, FailuresCarryTheConversionMessages) {
  struct Case {
    const char* what;
    std::function<void()> convert;
    Text message;
  };
  const std::vector<Case> cases = {
      {"uint64 above int64", [] { wmi::VariantToInt64(Variant::UInt64(UINT64_MAX)); },
       u"Overflow while converting variant of type (UInt64) into type (Int64)"},
      {"text that is no number", [] { wmi::VariantToInt64(Variant::String(u"abc")); },
       u"Could not convert variant of type (OleStr) into type (Int64)"},
      {"null to integer", [] { wmi::VariantToInt64(Variant::Null()); },
       u"Could not convert variant of type (Null) into type (Int64)"},
      {"array to bool", [] { wmi::VariantToBool(Variant::Array(VarType::kBool, {Variant::Bool(true)})); },
       u"Could not convert variant of type (Array Boolean) into type (Boolean)"},
      {"array to text", [] { wmi::VariantToText(Variant::Array(VarType::kText, {})); },
       u"Could not convert variant of type (Array OleStr) into type (OleStr)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.convert();
      ADD_FAILURE() << "no error";
    } catch (const syscode::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

}  // namespace
