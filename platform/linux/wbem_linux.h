// The WMI scripting objects of the Linux layer: a locator that connects to
// the local machine's "root\CIMV2", services that answer InstancesOf and
// simple WQL for the classes of hardware_classes.h, and the object set,
// enumerator, object, property set and property that carry the results.
#pragma once

#include <memory>

#include "platform/linux/machine.h"
#include "wmi/com_runtime.h"
#include "wmi/wbem.h"

namespace wmi::linux_layer {

// HRESULTs of this layer beyond those in wbem.h.
inline constexpr HRESULT kWBEM_E_INVALID_QUERY_TYPE = static_cast<HRESULT>(0x80041018u);
inline constexpr HRESULT kWBEM_E_LOCAL_CREDENTIALS = static_cast<HRESULT>(0x80041064u);
inline constexpr HRESULT kRPC_S_SERVER_UNAVAILABLE = static_cast<HRESULT>(0x800706BAu);

// A new locator reading from `machine`. Creating it reads nothing.
std::shared_ptr<ISWbemLocator> MakeLocator(LinuxMachine machine);

// The COM runtime of the Linux layer: no running objects, one creatable
// class (SWbemLocator), the thread's error information, and message texts
// for the codes this layer returns.
class LinuxComRuntime : public ComRuntime {
 public:
  explicit LinuxComRuntime(LinuxMachine machine) : machine_(std::move(machine)) {}

  // Always MK_E_UNAVAILABLE: nothing is registered as running.
  HRESULT GetActiveObject(const Guid& clsid, std::shared_ptr<IUnknownObject>* object) override;
  // A new locator for SWbemLocator, given as `iid` (or E_NOINTERFACE);
  // REGDB_E_CLASSNOTREG for any other class.
  HRESULT CoCreateInstance(const Guid& clsid, std::uint32_t class_context, const Guid& iid,
                           std::shared_ptr<IUnknownObject>* object) override;
  Text TakeErrorDescription() override;
  // The message for the codes this layer and the runtime return; empty for
  // any other code.
  Text SystemMessage(HRESULT hr) override;

 private:
  LinuxMachine machine_;
};

}  // namespace wmi::linux_layer
