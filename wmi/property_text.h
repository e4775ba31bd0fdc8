// The text of one WMI property's value, chosen by the property's CIM type.
#pragma once

#include <cstdint>
#include <utility>

#include "base/text.h"
#include "wmi/com_runtime.h"
#include "wmi/wbem.h"

namespace wmi {

// CIM type codes (WbemCimtypeEnum) that have a rule of their own.
namespace cim {
inline constexpr std::int32_t kSint16 = 2;
inline constexpr std::int32_t kSint32 = 3;
inline constexpr std::int32_t kReal32 = 4;
inline constexpr std::int32_t kReal64 = 5;
inline constexpr std::int32_t kString = 8;
inline constexpr std::int32_t kBoolean = 11;
inline constexpr std::int32_t kObject = 13;
inline constexpr std::int32_t kSint8 = 16;
inline constexpr std::int32_t kUint8 = 17;
inline constexpr std::int32_t kUint16 = 18;
inline constexpr std::int32_t kUint32 = 19;
inline constexpr std::int32_t kSint64 = 20;
inline constexpr std::int32_t kUint64 = 21;
inline constexpr std::int32_t kDatetime = 101;
inline constexpr std::int32_t kReference = 102;
inline constexpr std::int32_t kChar16 = 103;
}  // namespace cim

// The value text of `property`:
//   - a null Value gives "NULL" (CIMType is then not read);
//   - integer types (sint8..sint64, uint8..uint32): decimal digits, arrays
//     joined with "|";
//   - string and uint64: the value's text unchanged, arrays joined with "|";
//   - real32/real64: RealText; boolean: "True"/"False";
//   - datetime and reference: the value's text;
//   - object: "<CIM Object>"; char16: "<16-bit character>";
//   - every other code: empty text.
// A failing Value or CIMType read raises EOleException (message from
// `runtime`, see ole_error.h); a value its rule cannot convert (an array
// under a whole-value rule, text that is no number under the integer rule)
// raises the conversion's error.
//
// Without a separator the user's decimal separator is used; it is asked for
// only when a real value is written.
Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime);
Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime, const Text& decimal_separator);

// The user's decimal separator, asked for when first needed and then kept
// (asking costs far more than writing a number). One request uses one.
class LazyDecimalSeparator {
 public:
  const Text& Get();
  // Uses `separator` instead of the user's.
  void Set(Text separator) {
    value_ = std::move(separator);
    known_ = true;
  }

 private:
  Text value_;
  bool known_ = false;
};
Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime, LazyDecimalSeparator& decimal_separator);

// The same on the platform's runtime (PlatformComRuntime()).
Text WmiPropertyText(ISWbemProperty& property);

// A real number in the general format with 15 significant digits: fixed
// notation for a rounded magnitude from 0.0001 up to below 10^15, otherwise
// "<d>[<sep><digits>]E<exponent>"; zero is "0"; "INF" and "NAN" carry a "-"
// when the sign is negative. No group separators.
Text RealText(double value, const Text& decimal_separator);

}  // namespace wmi
