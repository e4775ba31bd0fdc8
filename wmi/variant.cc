#include "wmi/variant.h"

#include <utility>

namespace wmi {

const char16_t* VarTypeName(VarType type) {
  switch (type) {
    case VarType::kEmpty: return u"Empty";
    case VarType::kNull: return u"Null";
    case VarType::kInt8: return u"ShortInt";
    case VarType::kUInt8: return u"Byte";
    case VarType::kInt16: return u"Smallint";
    case VarType::kUInt16: return u"Word";
    case VarType::kInt32: return u"Integer";
    case VarType::kUInt32: return u"LongWord";
    case VarType::kInt64: return u"Int64";
    case VarType::kUInt64: return u"UInt64";
    case VarType::kReal32: return u"Single";
    case VarType::kReal64: return u"Double";
    case VarType::kBool: return u"Boolean";
    case VarType::kText: return u"OleStr";
    case VarType::kObject: return u"Dispatch";
  }
  return u"Unknown";
}

namespace {
Variant Signed(VarType type, std::int64_t v) {
  Variant out;
  out.type = type;
  out.i = v;
  return out;
}
Variant Unsigned(VarType type, std::uint64_t v) {
  Variant out;
  out.type = type;
  out.u = v;
  return out;
}
}  // namespace

Variant Variant::Null() {
  Variant out;
  out.type = VarType::kNull;
  return out;
}
Variant Variant::Int8(std::int8_t v) { return Signed(VarType::kInt8, v); }
Variant Variant::UInt8(std::uint8_t v) { return Unsigned(VarType::kUInt8, v); }
Variant Variant::Int16(std::int16_t v) { return Signed(VarType::kInt16, v); }
Variant Variant::UInt16(std::uint16_t v) { return Unsigned(VarType::kUInt16, v); }
Variant Variant::Int32(std::int32_t v) { return Signed(VarType::kInt32, v); }
Variant Variant::UInt32(std::uint32_t v) { return Unsigned(VarType::kUInt32, v); }
Variant Variant::Int64(std::int64_t v) { return Signed(VarType::kInt64, v); }
Variant Variant::UInt64(std::uint64_t v) { return Unsigned(VarType::kUInt64, v); }
Variant Variant::Real32(float v) {
  Variant out;
  out.type = VarType::kReal32;
  out.r = static_cast<double>(v);
  return out;
}
Variant Variant::Real64(double v) {
  Variant out;
  out.type = VarType::kReal64;
  out.r = v;
  return out;
}
Variant Variant::Bool(bool v) { return Signed(VarType::kBool, v ? -1 : 0); }
Variant Variant::String(Text v) {
  Variant out;
  out.type = VarType::kText;
  out.s = std::move(v);
  return out;
}
Variant Variant::Object(std::shared_ptr<IUnknownObject> v) {
  Variant out;
  out.type = VarType::kObject;
  out.object = std::move(v);
  return out;
}
Variant Variant::Array(VarType element_type, std::vector<Variant> elements) {
  Variant out;
  out.type = element_type;
  out.is_array = true;
  out.elements = std::move(elements);
  return out;
}

}  // namespace wmi
