#include "platform/linux/wbem_linux.h"

namespace wmi {

namespace linux_layer {

HRESULT LinuxComRuntime::GetActiveObject(const Guid&, std::shared_ptr<IUnknownObject>* object) {
  object->reset();
  return kMK_E_UNAVAILABLE;
}

HRESULT LinuxComRuntime::CoCreateInstance(const Guid& clsid, std::uint32_t, const Guid& iid,
                                          std::shared_ptr<IUnknownObject>* object) {
  object->reset();
  if (!(clsid == kCLSID_SWbemLocator)) return kREGDB_E_CLASSNOTREG;
  std::shared_ptr<IUnknownObject> locator = MakeLocator(machine_);
  return locator->QueryInterface(iid, object);
}

Text LinuxComRuntime::TakeErrorDescription() { return TakeThreadErrorInfo(); }

Text LinuxComRuntime::SystemMessage(HRESULT hr) {
  struct Entry {
    HRESULT hr;
    const char16_t* text;
  };
  static constexpr Entry kMessages[] = {
      {kE_NOTIMPL, u"Not implemented"},
      {kE_NOINTERFACE, u"No such interface supported"},
      {kE_POINTER, u"Invalid pointer"},
      {kE_FAIL, u"Unspecified error"},
      {kE_OUTOFMEMORY, u"Not enough storage is available to complete this operation."},
      {kE_INVALIDARG, u"The parameter is incorrect."},
      {kMK_E_UNAVAILABLE, u"Operation unavailable"},
      {kREGDB_E_CLASSNOTREG, u"Class not registered"},
      {kRPC_S_SERVER_UNAVAILABLE, u"The RPC server is unavailable."},
      {kWBEM_E_FAILED, u"Generic failure"},
      {kWBEM_E_NOT_FOUND, u"Not found"},
      {kWBEM_E_INVALID_NAMESPACE, u"Invalid namespace"},
      {kWBEM_E_INVALID_CLASS, u"Invalid class"},
      {kWBEM_E_INVALID_QUERY, u"Invalid query"},
      {kWBEM_E_INVALID_QUERY_TYPE, u"Invalid query language"},
      {kWBEM_E_LOCAL_CREDENTIALS, u"User credentials cannot be used for local connections"},
  };
  for (const auto& entry : kMessages) {
    if (entry.hr == hr) return entry.text;
  }
  return Text();
}

}  // namespace linux_layer

ComRuntime& PlatformComRuntime() {
  static linux_layer::LinuxComRuntime runtime(linux_layer::LiveLinuxMachine());
  return runtime;
}

}  // namespace wmi
