#include "wmi/property_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/locale.h"
#include "wmi/ole_error.h"

namespace wmi {
namespace {

Text IntegerElementText(const Variant& v) { return syscode::DecimalText(static_cast<long long>(VariantToInt64(v))); }

// A single value through `convert`; an array element by element, joined
// with "|" (an empty array gives empty text).
template <typename Convert>
Text JoinedText(const Variant& value, Convert convert) {
  if (!value.is_array) return convert(value);
  Text out;
  for (size_t index = 0; index < value.elements.size(); ++index) {
    if (index > 0) out.push_back(u'|');
    out += convert(value.elements[index]);
  }
  return out;
}

// The rule of one CIM type code for a value that is not null.
Text TextByType(std::int32_t cim_type, const Variant& value, LazyDecimalSeparator& decimal_separator) {
  switch (cim_type) {
    case cim::kSint8:
    case cim::kUint8:
    case cim::kSint16:
    case cim::kUint16:
    case cim::kSint32:
    case cim::kUint32:
    case cim::kSint64: return JoinedText(value, IntegerElementText);
    case cim::kString:
    case cim::kUint64: return JoinedText(value, VariantToText);
    case cim::kReal32:
    case cim::kReal64: {
      const double number = VariantToDouble(value);
      return RealText(number, decimal_separator.Get());
    }
    case cim::kBoolean: return VariantToBool(value) ? u"True" : u"False";
    case cim::kDatetime:
    case cim::kReference: return VariantToText(value);
    case cim::kObject: return u"<CIM Object>";
    case cim::kChar16: return u"<16-bit character>";
    default: return Text();
  }
}

Text PropertyText(ISWbemProperty& property, ComRuntime& runtime, LazyDecimalSeparator& decimal_separator) {
  Variant value;
  OleCheck(runtime, property.Value(&value));
  if (value.IsNull()) return u"NULL";
  std::int32_t cim_type = 0;
  OleCheck(runtime, property.CIMType(&cim_type));
  return TextByType(cim_type, value, decimal_separator);
}

}  // namespace

const Text& LazyDecimalSeparator::Get() {
  if (!known_) {
    value_ = syscode::UserDecimalSeparator();
    known_ = true;
  }
  return value_;
}

Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime) {
  LazyDecimalSeparator separator;
  return PropertyText(property, runtime, separator);
}

Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime, const Text& decimal_separator) {
  LazyDecimalSeparator separator;
  separator.Set(decimal_separator);
  return PropertyText(property, runtime, separator);
}

Text WmiPropertyText(ISWbemProperty& property, ComRuntime& runtime, LazyDecimalSeparator& decimal_separator) {
  return PropertyText(property, runtime, decimal_separator);
}

Text RealText(double value, const Text& decimal_separator) {
  if (std::isnan(value)) return std::signbit(value) ? u"-NAN" : u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  // "d.dddddddddddddde±x": the value rounded to 15 significant digits.
  char buffer[40];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
  if (error != std::errc()) return Text();
  const std::string scientific(buffer, end);
  const size_t e_pos = scientific.find('e');
  std::string digits = scientific.substr(0, 1) + scientific.substr(2, e_pos - 2);
  digits.erase(digits.find_last_not_of('0') + 1);
  // The magnitude is 0.d1d2...dk * 10^e.
  const int e = std::atoi(scientific.c_str() + e_pos + 1) + 1;
  const int k = static_cast<int>(digits.size());

  Text out = value < 0 ? u"-" : u"";
  auto append_digits = [&out](const std::string& part) {
    for (char c : part) out.push_back(static_cast<char16_t>(c));
  };
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      out += u"0" + decimal_separator + Text(static_cast<size_t>(-e), u'0');
      append_digits(digits);
    } else if (k <= e) {
      append_digits(digits + std::string(static_cast<size_t>(e - k), '0'));
    } else {
      append_digits(digits.substr(0, static_cast<size_t>(e)));
      out += decimal_separator;
      append_digits(digits.substr(static_cast<size_t>(e)));
    }
    return out;
  }
  append_digits(digits.substr(0, 1));
  if (k > 1) {
    out += decimal_separator;
    append_digits(digits.substr(1));
  }
  out += u"E" + syscode::DecimalText(static_cast<long long>(e - 1));
  return out;
}

}  // namespace wmi
