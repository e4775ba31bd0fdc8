// The COM runtime seam: how the locator is obtained and where failure texts
// come from. Windows: ole32/oleaut32 for real. Linux: an in-process table of
// the classes our hardware layer provides. Tests: a fake runtime.
#pragma once

#include <cstdint>
#include <memory>

#include "wmi/wbem.h"

namespace wmi {

inline constexpr std::uint32_t kCLSCTX_INPROC_SERVER = 1;
inline constexpr std::uint32_t kCLSCTX_LOCAL_SERVER = 4;

class ComRuntime {
 public:
  virtual ~ComRuntime() = default;
  // GetActiveObject(clsid, reserved = null).
  virtual HRESULT GetActiveObject(const Guid& clsid, std::shared_ptr<IUnknownObject>* object) = 0;
  // CoCreateInstance(clsid, no outer object, context, iid).
  virtual HRESULT CoCreateInstance(const Guid& clsid, std::uint32_t class_context, const Guid& iid,
                                   std::shared_ptr<IUnknownObject>* object) = 0;
  // The description of the thread's current error information, taken (and
  // cleared) as GetErrorInfo does; empty when there is none.
  virtual Text TakeErrorDescription() = 0;
  // The system's message text for `hr` (FormatMessage into a buffer of 256
  // characters); empty when the system has none.
  virtual Text SystemMessage(HRESULT hr) = 0;
};

// The platform's runtime: real COM on Windows, the Linux hardware layer's
// class table on Linux.
ComRuntime& PlatformComRuntime();

// Portable thread-local error information, for providers that are not real
// COM objects (the Linux layer, test fakes): SetErrorInfo stores a
// description, TakeErrorInfo returns and clears it.
void SetThreadErrorInfo(const Text& description);
Text TakeThreadErrorInfo();
void ClearThreadErrorInfo();

}  // namespace wmi
