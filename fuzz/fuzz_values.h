// Building automation values and texts from fuzzer input, shared by the
// WMI fuzz targets.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "wmi/variant.h"

namespace fuzzing {

using syscode::Text;
using wmi::Variant;
using wmi::VarType;

// Text of up to `max` UTF-16 code units, any code unit possible.
inline Text TakeText(FuzzedDataProvider& in, size_t max) {
  Text out(in.ConsumeIntegralInRange<size_t>(0, max), u'\0');
  for (char16_t& c : out) {
    // Mostly digits, letters and blanks so that numeric text is reached.
    const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
    c = pick < 200 ? static_cast<char16_t>(u" -+.,0123456789eEaAxXnNuUlLtTrRfF|"[pick % 34])
                   : in.ConsumeIntegral<char16_t>();
  }
  return out;
}

// A scalar of `kind` with an input-chosen payload (no object kind: a
// property value never holds a live object the fuzzer could make).
inline Variant TakeScalar(FuzzedDataProvider& in, VarType kind) {
  switch (kind) {
    case VarType::kEmpty: return Variant::Empty();
    case VarType::kNull: return Variant::Null();
    case VarType::kInt8: return Variant::Int8(in.ConsumeIntegral<std::int8_t>());
    case VarType::kUInt8: return Variant::UInt8(in.ConsumeIntegral<std::uint8_t>());
    case VarType::kInt16: return Variant::Int16(in.ConsumeIntegral<std::int16_t>());
    case VarType::kUInt16: return Variant::UInt16(in.ConsumeIntegral<std::uint16_t>());
    case VarType::kInt32: return Variant::Int32(in.ConsumeIntegral<std::int32_t>());
    case VarType::kUInt32: return Variant::UInt32(in.ConsumeIntegral<std::uint32_t>());
    case VarType::kInt64: return Variant::Int64(in.ConsumeIntegral<std::int64_t>());
    case VarType::kUInt64: return Variant::UInt64(in.ConsumeIntegral<std::uint64_t>());
    case VarType::kReal32: {
      const std::uint32_t bits = in.ConsumeIntegral<std::uint32_t>();
      float f;
      static_assert(sizeof f == sizeof bits);
      __builtin_memcpy(&f, &bits, sizeof f);
      return Variant::Real32(f);
    }
    case VarType::kReal64: {
      const std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
      double d;
      __builtin_memcpy(&d, &bits, sizeof d);
      return Variant::Real64(d);
    }
    case VarType::kBool: return Variant::Bool(in.ConsumeBool());
    case VarType::kText: return Variant::String(TakeText(in, 24));
    case VarType::kObject: return Variant::Object(nullptr);
  }
  return Variant::Empty();
}

// A property value: a scalar of any kind or a one-dimensional array of up
// to 6 elements of one kind, where an element may also be missing (empty
// or null).
inline Variant TakeValue(FuzzedDataProvider& in) {
  const auto kind = static_cast<VarType>(in.ConsumeIntegralInRange<int>(0, static_cast<int>(VarType::kText)));
  if (!in.ConsumeBool()) return TakeScalar(in, kind);
  std::vector<Variant> elements(in.ConsumeIntegralInRange<size_t>(0, 6));
  for (Variant& e : elements) {
    const std::uint8_t missing = in.ConsumeIntegral<std::uint8_t>();
    e = missing == 0 ? Variant::Empty() : missing == 1 ? Variant::Null() : TakeScalar(in, kind);
  }
  return Variant::Array(kind, std::move(elements));
}

// A CIM type code: mostly from the table, sometimes any 32-bit value.
inline std::int32_t TakeCimType(FuzzedDataProvider& in) {
  static constexpr std::int32_t kCodes[] = {0,  1,  2,  3,  4,  5,   8,   11,  13,  16,  17,
                                            18, 19, 20, 21, 22, 100, 101, 102, 103, 104, -1};
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) return in.ConsumeIntegral<std::int32_t>();
  return kCodes[in.ConsumeIntegralInRange<size_t>(0, std::size(kCodes) - 1)];
}

}  // namespace fuzzing
