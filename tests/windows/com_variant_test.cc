// VARIANT -> wmi::Variant for the shapes the scripting objects may deliver
// beyond plain scalars: values by reference, arrays of VARIANTs, arrays not
// based at 0, several dimensions, kinds the model has no place for.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "wmi/win32/com_handles.h"
#include "wmi/win32/wbem_com.h"

namespace {

using wmi::Variant;
using wmi::VarType;
using wmi::win32::FromComVariant;
using wmi::win32::ScopedVariant;
using wmi::win32::ToComVariant;

TEST(ComVariant, AValueByReferenceIsReadThroughTheReference) {
  LONG value = -12;
  VARIANT ref;
  VariantInit(&ref);
  V_VT(&ref) = VT_BYREF | VT_I4;
  V_I4REF(&ref) = &value;
  Variant out;
  ASSERT_EQ(FromComVariant(ref, &out), S_OK);
  EXPECT_EQ(out.type, VarType::kInt32);
  EXPECT_EQ(out.i, -12);
}

TEST(ComVariant, AnArrayOfVariantsKeepsEachElementsKind) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 3);
  ASSERT_NE(array, nullptr);
  ScopedVariant text, null, number;
  V_VT(text.Get()) = VT_BSTR;
  V_BSTR(text.Get()) = SysAllocString(L"a");
  V_VT(null.Get()) = VT_NULL;
  V_VT(number.Get()) = VT_UI1;
  V_UI1(number.Get()) = 7;
  LONG i = 0;
  SafeArrayPutElement(array, &i, text.Get());
  i = 1;
  SafeArrayPutElement(array, &i, null.Get());
  i = 2;
  SafeArrayPutElement(array, &i, number.Get());
  ScopedVariant in;
  V_VT(in.Get()) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(in.Get()) = array;

  Variant out;
  ASSERT_EQ(FromComVariant(*in.Get(), &out), S_OK);
  ASSERT_TRUE(out.is_array);
  ASSERT_EQ(out.elements.size(), 3u);
  EXPECT_EQ(out.elements[0].s, u"a");
  EXPECT_TRUE(out.elements[1].IsNull());
  EXPECT_EQ(out.elements[2].type, VarType::kUInt8);
  EXPECT_EQ(out.elements[2].u, 7u);
}

TEST(ComVariant, AnArrayNotBasedAtZeroStartsAtElementZero) {
  SAFEARRAYBOUND bound{2, 5};  // indexes 5 and 6
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  ASSERT_NE(array, nullptr);
  for (LONG i = 5; i <= 6; ++i) {
    LONG value = i * 10;
    SafeArrayPutElement(array, &i, &value);
  }
  ScopedVariant in;
  V_VT(in.Get()) = VT_ARRAY | VT_I4;
  V_ARRAY(in.Get()) = array;
  Variant out;
  ASSERT_EQ(FromComVariant(*in.Get(), &out), S_OK);
  EXPECT_EQ(out.type, VarType::kInt32);
  ASSERT_EQ(out.elements.size(), 2u);
  EXPECT_EQ(out.elements[0].i, 50);
  EXPECT_EQ(out.elements[1].i, 60);
}

TEST(ComVariant, AnArrayOfTwoDimensionsIsRefused) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  ScopedVariant in;
  V_VT(in.Get()) = VT_ARRAY | VT_I4;
  V_ARRAY(in.Get()) = SafeArrayCreate(VT_I4, 2, bounds);
  Variant out;
  EXPECT_EQ(FromComVariant(*in.Get(), &out), DISP_E_BADVARTYPE);
}

TEST(ComVariant, KindsWithoutAPlaceInTheModelArriveAsText) {
  ScopedVariant in;
  V_VT(in.Get()) = VT_CY;
  V_CY(in.Get()).int64 = 25000;  // 2.5
  Variant out;
  ASSERT_EQ(FromComVariant(*in.Get(), &out), S_OK);
  EXPECT_EQ(out.type, VarType::kText);
  EXPECT_FALSE(out.s.empty());
}

TEST(ComVariant, ArraysSurviveTheWayThereAndBack) {
  const Variant arrays[] = {
      Variant::Array(VarType::kText, {Variant::String(u"a"), Variant::String(u""), Variant::String(u"b")}),
      Variant::Array(VarType::kUInt64, {Variant::UInt64(UINT64_MAX)}),
      Variant::Array(VarType::kInt16, {}),
      Variant::Array(VarType::kBool, {Variant::Bool(true), Variant::Bool(false)}),
  };
  for (const Variant& original : arrays) {
    SCOPED_TRACE(syscode::ToUtf8(wmi::VarTypeName(original.type)));
    ScopedVariant com;
    ASSERT_EQ(ToComVariant(original, com.Receive()), S_OK);
    Variant back;
    ASSERT_EQ(FromComVariant(*com.Get(), &back), S_OK);
    EXPECT_TRUE(back.is_array);
    EXPECT_EQ(back.type, original.type);
    ASSERT_EQ(back.elements.size(), original.elements.size());
    for (size_t i = 0; i < back.elements.size(); ++i) {
      EXPECT_EQ(back.elements[i].i, original.elements[i].i);
      EXPECT_EQ(back.elements[i].u, original.elements[i].u);
      EXPECT_EQ(back.elements[i].s, original.elements[i].s);
    }
  }
}

}  // namespace
