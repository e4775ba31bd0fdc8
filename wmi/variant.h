// A portable automation value: what a WMI property's Value holds. Mirrors
// the VARIANT kinds the scripting objects deliver: null, empty, the integer
// kinds, real32/real64, bool, text, objects and one-dimensional arrays
// (indexed from 0) of any of these.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"

namespace wmi {

using syscode::Text;

class IUnknownObject;

enum class VarType : std::uint8_t {
  kEmpty,   // VT_EMPTY: unassigned
  kNull,    // VT_NULL
  kInt8,    // VT_I1
  kUInt8,   // VT_UI1
  kInt16,   // VT_I2
  kUInt16,  // VT_UI2
  kInt32,   // VT_I4
  kUInt32,  // VT_UI4
  kInt64,   // VT_I8
  kUInt64,  // VT_UI8
  kReal32,  // VT_R4
  kReal64,  // VT_R8
  kBool,    // VT_BOOL
  kText,    // VT_BSTR
  kObject,  // VT_DISPATCH / VT_UNKNOWN
};

// The name of a kind as automation error messages spell it ("Int64", ...).
const char16_t* VarTypeName(VarType type);

struct Variant {
  VarType type = VarType::kEmpty;  // for an array: the element kind
  bool is_array = false;
  std::int64_t i = 0;   // the signed integer kinds and bool (true = -1)
  std::uint64_t u = 0;  // the unsigned integer kinds
  double r = 0;         // real32 (stored widened, exactly) and real64
  Text s;               // text
  std::shared_ptr<IUnknownObject> object;
  std::vector<Variant> elements;  // array elements (scalars)

  bool IsNull() const { return !is_array && type == VarType::kNull; }

  static Variant Empty() { return Variant{}; }
  static Variant Null();
  static Variant Int8(std::int8_t v);
  static Variant UInt8(std::uint8_t v);
  static Variant Int16(std::int16_t v);
  static Variant UInt16(std::uint16_t v);
  static Variant Int32(std::int32_t v);
  static Variant UInt32(std::uint32_t v);
  static Variant Int64(std::int64_t v);
  static Variant UInt64(std::uint64_t v);
  static Variant Real32(float v);
  static Variant Real64(double v);
  static Variant Bool(bool v);
  static Variant String(Text v);
  static Variant Object(std::shared_ptr<IUnknownObject> v);
  // An array of `element_type`; each element must be a scalar of that kind
  // (or Empty/Null for a missing element).
  static Variant Array(VarType element_type, std::vector<Variant> elements);
};

// The automation conversions. Each throws syscode::Exception when the value
// cannot be converted ("Could not convert variant of type (X) into type
// (Y)") or does not fit ("Overflow while converting variant of type (X)
// into type (Y)"). Arrays never convert as a whole.
std::int64_t VariantToInt64(const Variant& v);
double VariantToDouble(const Variant& v);
bool VariantToBool(const Variant& v);
Text VariantToText(const Variant& v);

}  // namespace wmi
