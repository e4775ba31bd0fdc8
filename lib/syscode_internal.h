// Pieces of the library that are not part of its API, for its own tests:
// the machine's code read through a given COM runtime.
#pragma once

#include <stdexcept>
#include <string>

#include "wmi/com_runtime.h"

namespace syscode::internal {

// Not a single reader could obtain the WMI locator, so the hardware could not
// be queried at all (on Windows: WMI missing or its service stopped, or COM
// unusable on the thread). The window would show the code of seven empty
// sources then; a licence check must not take that for this machine's code.
class HardwareUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One first press in a new window over `runtime`, with no log. Throws
// HardwareUnavailable as above.
std::string GetCode(wmi::ComRuntime& runtime);

}  // namespace syscode::internal
