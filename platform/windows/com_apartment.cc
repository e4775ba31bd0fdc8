#include "wmi/com_apartment.h"

#include <windows.h>
#include <ole2.h>

namespace wmi {

// S_FALSE (already initialized on this thread) counts as success: it takes
// a reference that must be given back as well.
ComApartment::ComApartment(Mode mode)
    : ole_initialized_(mode == Mode::kOleAndCom && SUCCEEDED(::OleInitialize(nullptr))),
      com_initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (com_initialized_) ::CoUninitialize();
  if (ole_initialized_) ::OleUninitialize();
}

}  // namespace wmi
