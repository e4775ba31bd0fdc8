// WmiPropertyText over arbitrary values and CIM type codes, with Value and
// CIMType reads that may fail. Whatever the property holds: no crash, only
// syscode::Exception-derived errors, "NULL" for a null value without
// reading CIMType, empty text for codes outside the table, the fixed texts
// for object, char16 and boolean, decimal numbers joined by "|" under the
// integer rule, and real texts that read back as the value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_wmi.h"
#include "fuzz_values.h"
#include "base/errors.h"
#include "wmi/property_text.h"

namespace {

using syscode::Text;
using wmi::HRESULT;
using wmi::Variant;
using wmi::VarType;

// A property whose Value and CIMType come from the input.
class InputProperty : public wmi::ISWbemProperty {
 public:
  Variant value;
  std::int32_t cim_type = 0;
  HRESULT value_hr = wmi::kS_OK;
  HRESULT type_hr = wmi::kS_OK;
  int type_reads = 0;

  HRESULT QueryInterface(const wmi::Guid&, std::shared_ptr<wmi::IUnknownObject>* out) override {
    out->reset();
    return wmi::kE_NOINTERFACE;
  }
  HRESULT Value(Variant* out) override {
    *out = Variant();
    if (wmi::Failed(value_hr)) return value_hr;
    *out = value;
    return value_hr;
  }
  HRESULT Name(Text* name) override {
    *name = u"P";
    return wmi::kS_OK;
  }
  HRESULT CIMType(std::int32_t* out) override {
    ++type_reads;
    *out = 0;
    if (wmi::Failed(type_hr)) return type_hr;
    *out = cim_type;
    return type_hr;
  }
};

HRESULT TakeResult(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return wmi::kE_FAIL;
    case 1: return wmi::kWBEM_E_NOT_FOUND;
    case 2: return wmi::kS_FALSE;  // a success code other than S_OK
    default: return wmi::kS_OK;
  }
}

bool IsDecimal(const Text& t) {
  size_t i = !t.empty() && t[0] == u'-' ? 1 : 0;
  if (i == t.size()) return false;
  if (t[i] == u'0') return t.size() == i + 1 && i == 0;  // "0", never "-0" or leading zeros
  for (; i < t.size(); ++i) {
    if (t[i] < u'0' || t[i] > u'9') return false;
  }
  return true;
}

// The integer rule: a single value is one decimal number; an array is its
// elements' numbers joined with "|", empty for no elements.
void CheckIntegerText(const Text& text, const Variant& value) {
  if (value.is_array && value.elements.empty()) {
    if (!text.empty()) std::abort();
    return;
  }
  size_t pieces = 0;
  size_t start = 0;
  while (true) {
    const size_t bar = text.find(u'|', start);
    if (!IsDecimal(text.substr(start, bar == Text::npos ? Text::npos : bar - start))) std::abort();
    ++pieces;
    if (bar == Text::npos) break;
    start = bar + 1;
  }
  if (pieces != (value.is_array ? value.elements.size() : 1)) std::abort();
}

// The real rule: the text reads back as the number rounded to 15 digits.
// `separator` is one character.
void CheckRealText(Text text, const Variant& value, const Text& separator) {
  const double number = wmi::VariantToDouble(value);
  const bool negative = !text.empty() && text[0] == u'-';
  if (std::isnan(number)) {
    if (text != (negative ? u"-NAN" : u"NAN")) std::abort();
    return;
  }
  if (std::isinf(number)) {
    if (text != (number < 0 ? u"-INF" : u"INF")) std::abort();
    return;
  }
  std::string plain;  // the text in C notation
  for (char16_t c : text) {
    if (c == separator[0]) {
      plain.push_back('.');
    } else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'E') {
      plain.push_back(static_cast<char>(c));
    } else {
      std::abort();
    }
  }
  // Read back in long double: the largest doubles round up to 15 digits past
  // the double range (1.79769313486232E308), which strtod would make INF.
  const long double back = std::strtold(plain.c_str(), nullptr);
  if (number == 0) {
    if (text != u"0") std::abort();
    return;
  }
  if (negative != (number < 0)) std::abort();
  if (std::fabs(back - static_cast<long double>(number)) > std::fabs(static_cast<long double>(number)) * 1e-14L) {
    std::abort();
  }
}

bool InTable(std::int32_t code) {
  switch (code) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 8:
    case 11:
    case 13:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 101:
    case 102:
    case 103: return true;
    default: return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static fakes::FakeComRuntime runtime;
  runtime.record_calls = false;
  InputProperty property;
  property.value_hr = TakeResult(in);
  property.type_hr = TakeResult(in);
  property.cim_type = fuzzing::TakeCimType(in);
  const Text separator = in.ConsumeBool() ? u"," : u".";
  property.value = fuzzing::TakeValue(in);

  Text text;
  try {
    text = wmi::WmiPropertyText(property, runtime, separator);
  } catch (const syscode::Exception&) {
    // A failing read, or a value its rule cannot convert; the query turns
    // this into its -1 result. A value that is null or a code outside the
    // table never fails once Value has been read.
    if (wmi::Succeeded(property.value_hr)) {
      if (property.value.IsNull()) std::abort();
      if (wmi::Succeeded(property.type_hr) && !InTable(property.cim_type)) std::abort();
    }
    return 0;
  }
  // Anything but syscode::Exception escapes here and crashes the run.
  if (wmi::Failed(property.value_hr)) std::abort();
  if (property.value.IsNull()) {
    if (text != u"NULL" || property.type_reads != 0) std::abort();
    return 0;
  }
  if (wmi::Failed(property.type_hr) || property.type_reads != 1) std::abort();
  const Variant& value = property.value;
  switch (property.cim_type) {
    case 2:
    case 3:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20: CheckIntegerText(text, value); break;
    case 4:
    case 5: CheckRealText(text, value, separator); break;
    case 11:
      if (text != u"True" && text != u"False") std::abort();
      break;
    case 13:
      if (text != u"<CIM Object>") std::abort();
      break;
    case 103:
      if (text != u"<16-bit character>") std::abort();
      break;
    case 8:
    case 21:
      // The text rule: a single value's text unchanged.
      if (!value.is_array && text != wmi::VariantToText(value)) std::abort();
      if (value.is_array && value.elements.empty() && !text.empty()) std::abort();
      break;
    case 101:
    case 102:
      if (text != wmi::VariantToText(value)) std::abort();
      break;
    default:
      if (!text.empty()) std::abort();
  }
  return 0;
}
