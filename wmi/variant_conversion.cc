// The automation conversions of variant.h, written portably with the
// semantics of oleaut32's VariantChangeType: every integer kind converts,
// reals are rounded half to even and checked against the target's range,
// true is -1, text is parsed leniently (blanks around the number, a sign, a
// fraction, an exponent), Empty gives 0, "" or false, Null and objects do
// not convert and arrays never convert as a whole. The Windows build uses
// oleaut32 itself instead of this file.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "base/errors.h"
#include "base/locale.h"
#include "wmi/variant.h"

namespace wmi {
namespace {

Text SourceTypeText(const Variant& v) {
  Text name = VarTypeName(v.type);
  return v.is_array ? u"Array " + name : name;
}

[[noreturn]] void RaiseCannotConvert(const Variant& v, VarType target) {
  throw syscode::Exception(u"Could not convert variant of type (" + SourceTypeText(v) + u") into type (" +
                           VarTypeName(target) + u")");
}

[[noreturn]] void RaiseOverflow(const Variant& v, VarType target) {
  throw syscode::Exception(u"Overflow while converting variant of type (" + SourceTypeText(v) + u") into type (" +
                           VarTypeName(target) + u")");
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// A number written in text: sign, decimal digits (without leading zeros)
// and a power of ten, value = digits * 10^exponent.
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  long exponent = 0;
};

// Parses blanks, an optional sign, digits with an optional fraction and an
// optional exponent, blanks. Empty when the text is no number.
std::optional<DecimalNumber> ParseDecimal(const Text& text) {
  size_t i = 0;
  const size_t n = text.size();
  auto at = [&](size_t k) { return k < n ? text[k] : u'\0'; };
  while (i < n && IsBlank(text[i])) ++i;
  DecimalNumber number;
  if (at(i) == u'+' || at(i) == u'-') number.negative = text[i++] == u'-';
  bool any_digit = false;
  for (; at(i) >= u'0' && at(i) <= u'9'; ++i) {
    any_digit = true;
    if (!number.digits.empty() || text[i] != u'0') number.digits.push_back(static_cast<char>(text[i]));
  }
  if (at(i) == u'.') {
    for (++i; at(i) >= u'0' && at(i) <= u'9'; ++i) {
      any_digit = true;
      if (!number.digits.empty() || text[i] != u'0') number.digits.push_back(static_cast<char>(text[i]));
      --number.exponent;
    }
  }
  if (!any_digit) return std::nullopt;
  if (at(i) == u'e' || at(i) == u'E') {
    ++i;
    bool negative_exponent = false;
    if (at(i) == u'+' || at(i) == u'-') negative_exponent = text[i++] == u'-';
    if (!(at(i) >= u'0' && at(i) <= u'9')) return std::nullopt;
    long e = 0;
    for (; at(i) >= u'0' && at(i) <= u'9'; ++i) e = std::min(e * 10 + (text[i] - u'0'), 100000L);
    number.exponent += negative_exponent ? -e : e;
  }
  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) return std::nullopt;
  if (number.digits.empty()) number.exponent = 0;
  return number;
}

// Rounds half to even to an integer; empty when out of the Int64 range.
std::optional<std::int64_t> DecimalToInt64(const DecimalNumber& number) {
  std::string whole = number.digits;
  bool round_up = false;
  if (number.exponent >= 0) {
    if (whole.size() + static_cast<size_t>(std::min(number.exponent, 100L)) > 19) {
      if (!whole.empty()) return std::nullopt;
    } else {
      whole.append(static_cast<size_t>(number.exponent), '0');
    }
  } else {
    const size_t fraction_length = static_cast<size_t>(std::min(-number.exponent, 100000L));
    std::string fraction;
    if (fraction_length >= whole.size()) {
      fraction = std::string(fraction_length - whole.size(), '0') + whole;
      whole.clear();
    } else {
      fraction = whole.substr(whole.size() - fraction_length);
      whole.resize(whole.size() - fraction_length);
    }
    if (!fraction.empty() && fraction[0] > '5') {
      round_up = true;
    } else if (!fraction.empty() && fraction[0] == '5') {
      const bool above_half = fraction.find_first_not_of('0', 1) != std::string::npos;
      const bool odd = !whole.empty() && (whole.back() - '0') % 2 == 1;
      round_up = above_half || odd;
    }
  }
  if (whole.size() > 19) return std::nullopt;
  unsigned long long magnitude = 0;
  for (char c : whole) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  if (round_up) ++magnitude;
  const unsigned long long limit = number.negative ? 9223372036854775808ULL : 9223372036854775807ULL;
  if (magnitude > limit) return std::nullopt;
  return number.negative ? static_cast<std::int64_t>(0ULL - magnitude) : static_cast<std::int64_t>(magnitude);
}

// The parsed number as a double; empty when it is beyond the double range.
std::optional<double> DecimalToDouble(const DecimalNumber& number) {
  if (number.digits.empty()) return number.negative ? -0.0 : 0.0;
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Underflow gives zero, as automation does; overflow does not convert.
    if (number.exponent < 0) return number.negative ? -0.0 : 0.0;
    return std::nullopt;
  }
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number.negative ? -value : value;
}

bool IsSignedKind(VarType type) {
  return type == VarType::kInt8 || type == VarType::kInt16 || type == VarType::kInt32 || type == VarType::kInt64 ||
         type == VarType::kBool;
}

bool IsUnsignedKind(VarType type) {
  return type == VarType::kUInt8 || type == VarType::kUInt16 || type == VarType::kUInt32 || type == VarType::kUInt64;
}

bool IsRealKind(VarType type) { return type == VarType::kReal32 || type == VarType::kReal64; }

// General format with `precision` significant digits, "E+15" exponents as
// automation writes them, and the user's decimal separator.
Text RealAsText(double value, int precision) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  if (error != std::errc()) return Text();
  Text out;
  const Text separator = syscode::UserDecimalSeparator();
  for (const char* p = buffer; p != end; ++p) {
    if (*p == '.') {
      out += separator;
    } else {
      out.push_back(static_cast<char16_t>(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p));
    }
  }
  return out;
}

bool TextToBool(const Variant& v) {
  const Text trimmed = syscode::Trim(v.s);
  Text lower;
  for (char16_t c : trimmed) lower.push_back(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
  if (lower == u"true") return true;
  if (lower == u"false") return false;
  std::optional<DecimalNumber> number = ParseDecimal(v.s);
  if (!number) RaiseCannotConvert(v, VarType::kBool);
  return !number->digits.empty();
}

}  // namespace

std::int64_t VariantToInt64(const Variant& v) {
  if (v.is_array) RaiseCannotConvert(v, VarType::kInt64);
  if (v.type == VarType::kEmpty) return 0;
  if (IsSignedKind(v.type)) return v.i;
  if (IsUnsignedKind(v.type)) {
    if (v.u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      RaiseOverflow(v, VarType::kInt64);
    }
    return static_cast<std::int64_t>(v.u);
  }
  if (IsRealKind(v.type)) {
    const double rounded = std::nearbyint(v.r);  // the default rounding mode: half to even
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
      RaiseOverflow(v, VarType::kInt64);
    }
    return static_cast<std::int64_t>(rounded);
  }
  if (v.type == VarType::kText) {
    std::optional<DecimalNumber> number = ParseDecimal(v.s);
    if (!number) RaiseCannotConvert(v, VarType::kInt64);
    std::optional<std::int64_t> value = DecimalToInt64(*number);
    if (!value) RaiseOverflow(v, VarType::kInt64);
    return *value;
  }
  RaiseCannotConvert(v, VarType::kInt64);
}

double VariantToDouble(const Variant& v) {
  if (v.is_array) RaiseCannotConvert(v, VarType::kReal64);
  if (v.type == VarType::kEmpty) return 0;
  if (IsSignedKind(v.type)) return static_cast<double>(v.i);
  if (IsUnsignedKind(v.type)) return static_cast<double>(v.u);
  if (IsRealKind(v.type)) return v.r;
  if (v.type == VarType::kText) {
    std::optional<DecimalNumber> number = ParseDecimal(v.s);
    if (!number) RaiseCannotConvert(v, VarType::kReal64);
    std::optional<double> value = DecimalToDouble(*number);
    if (!value) RaiseOverflow(v, VarType::kReal64);
    return *value;
  }
  RaiseCannotConvert(v, VarType::kReal64);
}

bool VariantToBool(const Variant& v) {
  if (v.is_array) RaiseCannotConvert(v, VarType::kBool);
  if (v.type == VarType::kEmpty) return false;
  if (IsSignedKind(v.type)) return v.i != 0;
  if (IsUnsignedKind(v.type)) return v.u != 0;
  if (IsRealKind(v.type)) return v.r != 0;
  if (v.type == VarType::kText) return TextToBool(v);
  RaiseCannotConvert(v, VarType::kBool);
}

Text VariantToText(const Variant& v) {
  if (v.is_array) RaiseCannotConvert(v, VarType::kText);
  switch (v.type) {
    case VarType::kEmpty: return Text();
    case VarType::kText: return v.s;
    case VarType::kBool: return v.i != 0 ? u"True" : u"False";
    case VarType::kInt8:
    case VarType::kInt16:
    case VarType::kInt32:
    case VarType::kInt64: return syscode::DecimalText(static_cast<long long>(v.i));
    case VarType::kUInt8:
    case VarType::kUInt16:
    case VarType::kUInt32:
    case VarType::kUInt64: return syscode::DecimalText(static_cast<unsigned long long>(v.u));
    case VarType::kReal32: return RealAsText(v.r, 7);
    case VarType::kReal64: return RealAsText(v.r, 15);
    case VarType::kNull:
    case VarType::kObject: break;
  }
  RaiseCannotConvert(v, VarType::kText);
}

}  // namespace wmi
