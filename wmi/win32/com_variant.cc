// VARIANT <-> wmi::Variant.
#include <utility>
#include <vector>

#include "wmi/win32/wbem_com.h"
#include "base/wide_text.h"

namespace wmi::win32 {

namespace {

using wmi::Variant;
using wmi::VarType;

struct KindMapping {
  VarType type;
  VARTYPE vt;
};

constexpr KindMapping kKinds[] = {
    {VarType::kEmpty, VT_EMPTY}, {VarType::kNull, VT_NULL},  {VarType::kInt8, VT_I1},
    {VarType::kUInt8, VT_UI1},   {VarType::kInt16, VT_I2},   {VarType::kUInt16, VT_UI2},
    {VarType::kInt32, VT_I4},    {VarType::kUInt32, VT_UI4}, {VarType::kInt64, VT_I8},
    {VarType::kUInt64, VT_UI8},  {VarType::kReal32, VT_R4},  {VarType::kReal64, VT_R8},
    {VarType::kBool, VT_BOOL},   {VarType::kText, VT_BSTR},  {VarType::kObject, VT_DISPATCH},
};

VARTYPE VtOf(VarType type) {
  for (const KindMapping& k : kKinds) {
    if (k.type == type) return k.vt;
  }
  return VT_EMPTY;
}

// The kind of a typed array's elements.
VarType TypeOfVt(VARTYPE vt) {
  if (vt == VT_INT) return VarType::kInt32;
  if (vt == VT_UINT) return VarType::kUInt32;
  if (vt == VT_UNKNOWN) return VarType::kObject;
  for (const KindMapping& k : kKinds) {
    if (k.vt == vt) return k.type;
  }
  return VarType::kText;  // other kinds are taken as their text
}

std::shared_ptr<wmi::IUnknownObject> WrapObject(const wmi::Guid& iid, IUnknown* object) {
  return WrapInterface(iid, ComPtr<IUnknown>::Share(object));
}

// A by-value scalar VARIANT.
HRESULT ScalarFromComVariant(const VARIANT& in, Variant* out) {
  switch (V_VT(&in)) {
    case VT_EMPTY: *out = Variant::Empty(); return S_OK;
    case VT_NULL: *out = Variant::Null(); return S_OK;
    case VT_I1: *out = Variant::Int8(static_cast<std::int8_t>(V_I1(&in))); return S_OK;
    case VT_UI1: *out = Variant::UInt8(V_UI1(&in)); return S_OK;
    case VT_I2: *out = Variant::Int16(V_I2(&in)); return S_OK;
    case VT_UI2: *out = Variant::UInt16(V_UI2(&in)); return S_OK;
    case VT_I4: *out = Variant::Int32(V_I4(&in)); return S_OK;
    case VT_INT: *out = Variant::Int32(V_INT(&in)); return S_OK;
    case VT_UI4: *out = Variant::UInt32(V_UI4(&in)); return S_OK;
    case VT_UINT: *out = Variant::UInt32(V_UINT(&in)); return S_OK;
    case VT_I8: *out = Variant::Int64(V_I8(&in)); return S_OK;
    case VT_UI8: *out = Variant::UInt64(V_UI8(&in)); return S_OK;
    case VT_R4: *out = Variant::Real32(V_R4(&in)); return S_OK;
    case VT_R8: *out = Variant::Real64(V_R8(&in)); return S_OK;
    case VT_BOOL: *out = Variant::Bool(V_BOOL(&in) != VARIANT_FALSE); return S_OK;
    case VT_BSTR: {
      BSTR b = V_BSTR(&in);
      *out = Variant::String(FromWide(b, b == nullptr ? 0 : SysStringLen(b)));
      return S_OK;
    }
    case VT_DISPATCH: *out = Variant::Object(WrapObject(wmi::kIID_IDispatch, V_DISPATCH(&in))); return S_OK;
    case VT_UNKNOWN: *out = Variant::Object(WrapObject(wmi::kIID_IUnknown, V_UNKNOWN(&in))); return S_OK;
    default: {
      // Dates, currency, decimals and the like: taken as their text.
      ScopedVariant text;
      HRESULT hr = VariantChangeType(text.Get(), const_cast<VARIANT*>(&in), 0, VT_BSTR);
      if (FAILED(hr)) return hr;
      return ScalarFromComVariant(*text.Get(), out);
    }
  }
}

HRESULT ArrayFromComVariant(const VARIANT& in, Variant* out) {
  SAFEARRAY* array = V_ARRAY(&in);
  const VARTYPE element_vt = V_VT(&in) & VT_TYPEMASK;
  if (array == nullptr || SafeArrayGetDim(array) != 1) return DISP_E_BADVARTYPE;
  LONG low = 0;
  LONG high = -1;
  HRESULT hr = SafeArrayGetLBound(array, 1, &low);
  if (SUCCEEDED(hr)) hr = SafeArrayGetUBound(array, 1, &high);
  if (FAILED(hr)) return hr;

  std::vector<Variant> elements;
  VarType element_type = VarType::kEmpty;
  for (LONG index = low; index <= high; ++index) {
    ScopedVariant element;
    if (element_vt == VT_VARIANT) {
      hr = SafeArrayGetElement(array, &index, element.Get());
    } else {
      // The element lands in the value union; its kind is set only once it
      // holds a value, so a failed read leaves nothing to clear.
      hr = SafeArrayGetElement(array, &index, &V_UI1(element.Get()));
      if (SUCCEEDED(hr)) V_VT(element.Get()) = element_vt;
    }
    if (FAILED(hr)) return hr;
    Variant value;
    hr = ScalarFromComVariant(*element.Get(), &value);
    if (FAILED(hr)) return hr;
    if (element_type == VarType::kEmpty && value.type != VarType::kNull) element_type = value.type;
    elements.push_back(std::move(value));
  }
  if (element_vt != VT_VARIANT) element_type = TypeOfVt(element_vt);
  *out = Variant::Array(element_type, std::move(elements));
  return S_OK;
}

HRESULT ScalarToComVariant(const Variant& in, VARIANT* out) {
  VariantInit(out);
  // One case a line, as a table of the kinds.
  // clang-format off
  switch (in.type) {
    case VarType::kEmpty: break;
    case VarType::kNull: V_VT(out) = VT_NULL; break;
    case VarType::kInt8: V_VT(out) = VT_I1; V_I1(out) = static_cast<CHAR>(in.i); break;
    case VarType::kUInt8: V_VT(out) = VT_UI1; V_UI1(out) = static_cast<BYTE>(in.u); break;
    case VarType::kInt16: V_VT(out) = VT_I2; V_I2(out) = static_cast<SHORT>(in.i); break;
    case VarType::kUInt16: V_VT(out) = VT_UI2; V_UI2(out) = static_cast<USHORT>(in.u); break;
    case VarType::kInt32: V_VT(out) = VT_I4; V_I4(out) = static_cast<LONG>(in.i); break;
    case VarType::kUInt32: V_VT(out) = VT_UI4; V_UI4(out) = static_cast<ULONG>(in.u); break;
    case VarType::kInt64: V_VT(out) = VT_I8; V_I8(out) = in.i; break;
    case VarType::kUInt64: V_VT(out) = VT_UI8; V_UI8(out) = in.u; break;
    case VarType::kReal32: V_VT(out) = VT_R4; V_R4(out) = static_cast<FLOAT>(in.r); break;
    case VarType::kReal64: V_VT(out) = VT_R8; V_R8(out) = in.r; break;
    case VarType::kBool: V_VT(out) = VT_BOOL; V_BOOL(out) = in.i != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VarType::kText: {
      BSTR b = SysAllocStringLen(Wide(in.s), static_cast<UINT>(in.s.size()));
      if (b == nullptr) return E_OUTOFMEMORY;
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = b;
      break;
    }
    case VarType::kObject: {
      if (!in.object) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = nullptr;
        break;
      }
      IUnknown* object = ComObjectOf(in.object.get());
      if (object == nullptr) return E_INVALIDARG;
      IDispatch* dispatch = nullptr;
      if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = dispatch;
      } else {
        object->AddRef();
        V_VT(out) = VT_UNKNOWN;
        V_UNKNOWN(out) = object;
      }
      break;
    }
  }
  // clang-format on
  return S_OK;
}

HRESULT ArrayToComVariant(const Variant& in, VARIANT* out) {
  VariantInit(out);
  // Elements of another kind than the array's (a missing element given as
  // Empty or Null) need an array of VARIANTs.
  VARTYPE element_vt = VtOf(in.type);
  for (const Variant& element : in.elements) {
    if (element.type != in.type || element.is_array) element_vt = VT_VARIANT;
  }
  if (element_vt == VT_EMPTY || element_vt == VT_NULL) element_vt = VT_VARIANT;
  SAFEARRAY* array = SafeArrayCreateVector(element_vt, 0, static_cast<ULONG>(in.elements.size()));
  if (array == nullptr) return E_OUTOFMEMORY;
  for (LONG index = 0; index < static_cast<LONG>(in.elements.size()); ++index) {
    ScopedVariant element;
    HRESULT hr = ScalarToComVariant(in.elements[index], element.Get());
    if (SUCCEEDED(hr)) {
      VARIANT* v = element.Get();
      void* data = element_vt == VT_VARIANT    ? static_cast<void*>(v)
                   : element_vt == VT_BSTR     ? static_cast<void*>(V_BSTR(v))
                   : element_vt == VT_DISPATCH ? static_cast<void*>(V_DISPATCH(v))
                                               : static_cast<void*>(&V_UI1(v));
      hr = SafeArrayPutElement(array, &index, data);
    }
    if (FAILED(hr)) {
      SafeArrayDestroy(array);
      return hr;
    }
  }
  V_VT(out) = static_cast<VARTYPE>(VT_ARRAY | element_vt);
  V_ARRAY(out) = array;
  return S_OK;
}

}  // namespace

HRESULT FromComVariant(const VARIANT& in, Variant* out) {
  const VARIANT* value = &in;
  ScopedVariant by_value;
  if ((V_VT(&in) & VT_BYREF) != 0) {
    HRESULT hr = VariantCopyInd(by_value.Get(), const_cast<VARIANT*>(&in));
    if (FAILED(hr)) return hr;
    value = by_value.Get();
  }
  if ((V_VT(value) & VT_ARRAY) != 0) return ArrayFromComVariant(*value, out);
  return ScalarFromComVariant(*value, out);
}

HRESULT ToComVariant(const Variant& in, VARIANT* out) {
  return in.is_array ? ArrayToComVariant(in, out) : ScalarToComVariant(in, out);
}

}  // namespace wmi::win32
