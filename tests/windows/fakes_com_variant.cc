#include "fakes_com_variant.h"

#include "wmi/win32/wbem_com.h"

namespace fakes {

HRESULT ToComVariantForFake(const wmi::Variant& in, VARIANT* out) { return wmi::win32::ToComVariant(in, out); }

}  // namespace fakes
