// The automation conversions through oleaut32's VariantChangeTypeEx, so a
// value converts exactly as the platform converts it (a 64-bit integer
// delivered as decimal text included).
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <cstdint>

#include "wmi/win32/wbem_com.h"
#include "base/errors.h"
#include "wmi/variant.h"

namespace wmi {

namespace {

using wmi::win32::ScopedVariant;

[[noreturn]] void ThrowConversionError(HRESULT hr, const Variant& v, VarType target) {
  const Text from = v.is_array ? u"Array " + Text(VarTypeName(v.type)) : Text(VarTypeName(v.type));
  const Text to = VarTypeName(target);
  if (hr == DISP_E_OVERFLOW) {
    throw syscode::Exception(u"Overflow while converting variant of type (" + from + u") into type (" + to + u")");
  }
  throw syscode::Exception(u"Could not convert variant of type (" + from + u") into type (" + to + u")");
}

// `v` changed into `vt` in `out`; throws the conversion error on failure.
void ChangeType(const Variant& v, VARTYPE vt, VarType target, USHORT flags, ScopedVariant* out) {
  if (v.is_array) ThrowConversionError(DISP_E_TYPEMISMATCH, v, target);
  ScopedVariant in;
  HRESULT hr = wmi::win32::ToComVariant(v, in.Get());
  if (SUCCEEDED(hr)) hr = ::VariantChangeTypeEx(out->Receive(), in.Get(), LOCALE_USER_DEFAULT, flags, vt);
  if (FAILED(hr)) ThrowConversionError(hr, v, target);
}

}  // namespace

std::int64_t VariantToInt64(const Variant& v) {
  // Windows reports an unsigned 64-bit value above the signed range as an
  // overflow; Wine's oleaut32 wraps it round instead. Checked here so both
  // give the overflow.
  if (!v.is_array && v.type == VarType::kUInt64 && v.u > static_cast<std::uint64_t>(INT64_MAX)) {
    ThrowConversionError(DISP_E_OVERFLOW, v, VarType::kInt64);
  }
  // Wine's oleaut32 also gives not-a-number as the largest integer, where
  // it can only be an overflow.
  if (!v.is_array && (v.type == VarType::kReal32 || v.type == VarType::kReal64) && std::isnan(v.r)) {
    ThrowConversionError(DISP_E_OVERFLOW, v, VarType::kInt64);
  }
  ScopedVariant out;
  ChangeType(v, VT_I8, VarType::kInt64, 0, &out);
  return V_I8(out.Get());
}

double VariantToDouble(const Variant& v) {
  ScopedVariant out;
  ChangeType(v, VT_R8, VarType::kReal64, 0, &out);
  return V_R8(out.Get());
}

bool VariantToBool(const Variant& v) {
  ScopedVariant out;
  if (!v.is_array && v.type == VarType::kText) {
    // The platform matches "True" and "False" only without surrounding
    // blanks; they are taken off first, as numbers in text allow them too.
    Variant trimmed = v;
    trimmed.s = syscode::Trim(v.s);
    ChangeType(trimmed, VT_BOOL, VarType::kBool, 0, &out);
    return V_BOOL(out.Get()) != VARIANT_FALSE;
  }
  ChangeType(v, VT_BOOL, VarType::kBool, 0, &out);
  return V_BOOL(out.Get()) != VARIANT_FALSE;
}

Text VariantToText(const Variant& v) {
  ScopedVariant out;
  // Truth values read "True" and "False", as elsewhere in the system.
  ChangeType(v, VT_BSTR, VarType::kText, VARIANT_ALPHABOOL, &out);
  BSTR b = V_BSTR(out.Get());
  return wmi::win32::FromWide(b, b == nullptr ? 0 : SysStringLen(b));
}

}  // namespace wmi
