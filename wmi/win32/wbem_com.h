// The engine's WMI object model (wmi/wbem.h) over the platform's real
// scripting objects (wbemdisp): one adapter per interface, each holding one
// COM reference. QueryInterface on an adapter is the real QueryInterface,
// and its result comes back wrapped in the adapter of the interface asked
// for. Texts go in as BSTRs (empty text as a null BSTR), values come back as
// wmi::Variant.
#pragma once

#include <windows.h>

#include <memory>

#include "wmi/win32/com_handles.h"
#include "wmi/variant.h"
#include "wmi/wbem.h"

namespace wmi::win32 {

// Wraps `object`, which must already be the interface `iid`, in the adapter
// for that interface (a plain object adapter for interfaces the model has
// no type for). A null pointer gives a null result.
std::shared_ptr<wmi::IUnknownObject> WrapInterface(const wmi::Guid& iid, ComPtr<IUnknown> object);

// The COM interface behind an adapter; null for objects that are not
// adapters over real COM objects (or for null).
IUnknown* ComObjectOf(const wmi::IUnknownObject* object);

// VARIANT -> wmi::Variant: null, empty, the integer kinds, reals, bool,
// BSTR, objects (wrapped as adapters) and one-dimensional SAFEARRAYs of
// these, by value or by reference. Other kinds are taken as their text
// (VariantChangeType to BSTR). Returns S_OK or the failure code
// (DISP_E_BADVARTYPE for what cannot be represented).
HRESULT FromComVariant(const VARIANT& in, wmi::Variant* out);

// wmi::Variant -> VARIANT (the reverse; objects must be adapters). `out`
// must be initialized; it is overwritten. Returns S_OK or the failure code.
HRESULT ToComVariant(const wmi::Variant& in, VARIANT* out);

}  // namespace wmi::win32
