#include "fakes_com_variant.h"

#include "platform/windows/wbem_com.h"

namespace fakes {

HRESULT ToComVariantForFake(const wmi::Variant& in, VARIANT* out) { return syscode::win::ToComVariant(in, out); }

}  // namespace fakes
