// The WMI scripting object model: small interfaces that mirror what the
// platform publishes (SWbemLocator, SWbemServices, SWbemObjectSet,
// IEnumVARIANT, SWbemObject, SWbemPropertySet, SWbemProperty). The query
// code is written once against these; Windows adapts the real COM objects,
// Linux answers from its own hardware layer, tests use scriptable fakes.
//
// Every call returns an HRESULT; a failing call may leave a description in
// the thread's error information (see com_runtime.h).
#pragma once

#include <cstdint>
#include <memory>

#include "base/text.h"
#include "wmi/variant.h"

namespace wmi {

using HRESULT = std::int32_t;

inline constexpr HRESULT kS_OK = 0;
inline constexpr HRESULT kS_FALSE = 1;
inline constexpr HRESULT kE_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT kE_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT kE_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT kE_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT kE_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT kE_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT kMK_E_UNAVAILABLE = static_cast<HRESULT>(0x800401E3u);
inline constexpr HRESULT kREGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT kWBEM_E_FAILED = static_cast<HRESULT>(0x80041001u);
inline constexpr HRESULT kWBEM_E_NOT_FOUND = static_cast<HRESULT>(0x80041002u);
inline constexpr HRESULT kWBEM_E_INVALID_NAMESPACE = static_cast<HRESULT>(0x8004100Eu);
inline constexpr HRESULT kWBEM_E_INVALID_CLASS = static_cast<HRESULT>(0x80041010u);
inline constexpr HRESULT kWBEM_E_INVALID_QUERY = static_cast<HRESULT>(0x80041017u);

inline bool Failed(HRESULT hr) { return hr < 0; }
inline bool Succeeded(HRESULT hr) { return hr >= 0; }

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
  friend bool operator==(const Guid& a, const Guid& b);
};

// "{76A64158-CB41-11D1-8B02-00600806D9B6}": the braced registry form.
Text GuidText(const Guid& guid);

inline constexpr Guid kCLSID_SWbemLocator = {
    0x76A64158, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemLocator = {
    0x76A6415B, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemServices = {
    0x76A6415C, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemObject = {
    0x76A6415A, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemObjectSet = {
    0x76A6415F, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemPropertySet = {
    0xDEA0A7B2, 0xD4BA, 0x11D1, {0x8B, 0x09, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemProperty = {
    0x1A388F98, 0xD4BA, 0x11D1, {0x8B, 0x09, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_ISWbemSecurity = {
    0xB54D66E6, 0x2287, 0x11D2, {0x8B, 0x33, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
inline constexpr Guid kIID_IEnumVARIANT = {
    0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid kIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid kIID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid kGUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

inline constexpr std::int32_t kWbemFlagReturnImmediately = 16;
inline constexpr std::int32_t kWbemQueryFlagShallow = 1;

// Every object; a shared_ptr stands for one COM reference, so dropping the
// last shared_ptr is the final Release.
class IUnknownObject {
 public:
  virtual ~IUnknownObject() = default;
  // Gives the object as the interface `iid`, or E_NOINTERFACE.
  virtual HRESULT QueryInterface(const Guid& iid, std::shared_ptr<IUnknownObject>* out) = 0;
};

// Queries `object` for interface T (T::kIid). Returns the HRESULT; on
// success *out holds the typed pointer.
template <typename T>
HRESULT QueryAs(const std::shared_ptr<IUnknownObject>& object, std::shared_ptr<T>* out) {
  out->reset();
  if (!object) return kE_POINTER;
  std::shared_ptr<IUnknownObject> result;
  HRESULT hr = object->QueryInterface(T::kIid, &result);
  if (Succeeded(hr)) {
    *out = std::dynamic_pointer_cast<T>(result);
    if (!*out) return kE_NOINTERFACE;
  }
  return hr;
}

class IEnumVariant : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_IEnumVARIANT;
  // Delivers up to `count` items (this system asks for 1). Returns S_OK when
  // all were delivered, S_FALSE at the end, or a failure code.
  virtual HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) = 0;
};

class ISWbemProperty : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemProperty;
  virtual HRESULT Value(Variant* value) = 0;
  virtual HRESULT Name(Text* name) = 0;
  virtual HRESULT CIMType(std::int32_t* type) = 0;
};

class ISWbemPropertySet : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemPropertySet;
  virtual HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) = 0;  // _NewEnum
  virtual HRESULT Count(std::int32_t* count) = 0;
};

class ISWbemObject : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemObject;
  virtual HRESULT Properties(std::shared_ptr<ISWbemPropertySet>* properties) = 0;  // Properties_
};

class ISWbemObjectSet : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemObjectSet;
  virtual HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) = 0;  // _NewEnum
  virtual HRESULT Count(std::int32_t* count) = 0;
};

class ISWbemServices : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemServices;
  // Empty text stands for a null BSTR. `named_values` is the optional
  // SWbemNamedValueSet (this system passes none).
  virtual HRESULT ExecQuery(const Text& query, const Text& language, std::int32_t flags,
                            const std::shared_ptr<IUnknownObject>& named_values,
                            std::shared_ptr<ISWbemObjectSet>* result) = 0;
  virtual HRESULT InstancesOf(const Text& class_name, std::int32_t flags,
                              const std::shared_ptr<IUnknownObject>& named_values,
                              std::shared_ptr<ISWbemObjectSet>* result) = 0;
};

// The security settings of a locator or connection (SWbemSecurity). This
// system sets none and reads none; the locator wrapper hands the object out.
class ISWbemSecurity : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemSecurity;
};

class ISWbemLocator : public IUnknownObject {
 public:
  static constexpr Guid kIid = kIID_ISWbemLocator;
  // Security_: the locator's security settings. A locator without settings
  // of its own (the Linux layer's: no authentication to set) gives E_NOTIMPL.
  virtual HRESULT Security_(std::shared_ptr<ISWbemSecurity>* security) {
    security->reset();
    return kE_NOTIMPL;
  }
  virtual HRESULT ConnectServer(const Text& server, const Text& name_space, const Text& user, const Text& password,
                                const Text& locale, const Text& authority, std::int32_t security_flags,
                                const std::shared_ptr<IUnknownObject>& named_values,
                                std::shared_ptr<ISWbemServices>* services) = 0;
};

}  // namespace wmi
