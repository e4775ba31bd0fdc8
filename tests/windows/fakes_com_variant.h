// The bridge the fake scripting objects use to hand out values: the
// engine's own wmi::Variant -> VARIANT conversion (platform/windows), named
// here without the C++ form of the COM headers, which the fakes do not use.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "wmi/variant.h"

namespace fakes {

// ToComVariant of the Windows binding.
HRESULT ToComVariantForFake(const wmi::Variant& in, VARIANT* out);

}  // namespace fakes
