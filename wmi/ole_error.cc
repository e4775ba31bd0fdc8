#include "wmi/ole_error.h"

#include <cstdio>
#include <utility>

namespace wmi {

EOleException::EOleException(Text message, HRESULT error_code)
    : syscode::Exception(std::move(message)), error_code_(error_code) {}

EIntfCastError::EIntfCastError() : syscode::Exception(u"Interface not supported") {}

EAssertionFailed::EAssertionFailed(const Text& message, const Text& unit, int line)
    : syscode::Exception(message + u" (" + unit + u", line " + syscode::DecimalText(static_cast<long long>(line)) +
                         u")") {}

Text OleErrorCodeText(HRESULT hr) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "OLE error %.8X", static_cast<unsigned>(hr));
  return syscode::FromUtf8(buffer);
}

Text OleSystemErrorText(ComRuntime& runtime, HRESULT hr) {
  Text message = syscode::TrimTrailingBlanksAndPeriods(runtime.SystemMessage(hr));
  return message.empty() ? OleErrorCodeText(hr) : message;
}

Text OleCallErrorText(ComRuntime& runtime, HRESULT hr) {
  Text message = syscode::TrimTrailingBlanksAndPeriods(runtime.TakeErrorDescription());
  return message.empty() ? OleSystemErrorText(runtime, hr) : message;
}

void RaiseOleError(ComRuntime& runtime, HRESULT hr) { throw EOleException(OleCallErrorText(runtime, hr), hr); }

}  // namespace wmi
