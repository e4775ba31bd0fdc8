// Failures of calls on the WMI scripting objects, turned into errors that
// carry a message text.
#pragma once

#include "base/errors.h"
#include "wmi/com_runtime.h"

namespace wmi {

// A failing HRESULT from a COM call or from the COM runtime.
class EOleException : public syscode::Exception {
 public:
  EOleException(Text message, HRESULT error_code);
  HRESULT ErrorCode() const noexcept { return error_code_; }

 private:
  HRESULT error_code_;
};

// An object that does not offer the interface asked for.
class EIntfCastError : public syscode::Exception {
 public:
  EIntfCastError();
};

// A failed consistency check: "<message> (<unit>, line <line>)".
class EAssertionFailed : public syscode::Exception {
 public:
  EAssertionFailed(const Text& message, const Text& unit, int line);
};

// "OLE error 80041010": the HRESULT as eight upper-case hexadecimal digits.
Text OleErrorCodeText(HRESULT hr);

// The system's message text for `hr` without trailing blanks, control
// characters and periods, or OleErrorCodeText(hr) when the system has none.
Text OleSystemErrorText(ComRuntime& runtime, HRESULT hr);

// The message for a failing call: the description the call left in the
// thread's error information (taken, so it does not outlive this failure),
// without trailing blanks, control characters and periods; when that is
// empty, OleSystemErrorText(hr).
Text OleCallErrorText(ComRuntime& runtime, HRESULT hr);

// Throws EOleException with OleCallErrorText(runtime, hr).
[[noreturn]] void RaiseOleError(ComRuntime& runtime, HRESULT hr);

// Returns when `hr` succeeded; raises the failure otherwise.
inline void OleCheck(ComRuntime& runtime, HRESULT hr) {
  if (Failed(hr)) RaiseOleError(runtime, hr);
}

}  // namespace wmi
