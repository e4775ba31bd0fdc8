// A scriptable in-process stand-in for the platform's WMI scripting objects,
// made of real COM objects (ISWbemLocator ... ISWbemProperty, IEnumVARIANT)
// and registered as the running SWbemLocator object, so the code under test
// finds it through GetActiveObject and talks to it over real COM: BSTRs,
// VARIANTs and SAFEARRAYs, QueryInterface, error information set with
// SetErrorInfo.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "wmi/variant.h"

namespace fakes {

using syscode::Text;

struct FakeProperty {
  Text name;
  wmi::Variant value;
  std::int32_t cim_type = 8;
};

struct FakeInstance {
  std::vector<FakeProperty> properties;
};

// A call that fails: its HRESULT and the description it leaves in the
// thread's error information (none when empty).
struct FakeFailure {
  std::int32_t hr = 0;
  Text description;
};

struct FakeWbemScript {
  std::vector<FakeInstance> instances;
  std::int32_t count = -1;  // the set's reported Count; -1: instances.size()
  bool locator_offers_interface = true;
  // Calls that fail, by name: "ConnectServer", "ExecQuery", "InstancesOf",
  // "Count", "_NewEnum" (of either set), "PropertySet._NewEnum" (of the
  // property set only), "Properties_", "Value", "Name", "CIMType".
  std::map<std::string, FakeFailure> failures;
  // Every call the fake served, with its arguments; a null BSTR is
  // written <null>, an absent named-value set <none>.
  std::vector<std::string> calls;
};

// Registers a fake locator serving `script` as the running object of the
// SWbemLocator class for the lifetime of this object.
class RunningFakeLocator {
 public:
  explicit RunningFakeLocator(FakeWbemScript& script);
  ~RunningFakeLocator();
  RunningFakeLocator(const RunningFakeLocator&) = delete;
  RunningFakeLocator& operator=(const RunningFakeLocator&) = delete;

  // The HRESULT of RegisterActiveObject.
  std::int32_t registration() const { return registration_; }

 private:
  void* locator_ = nullptr;
  unsigned long cookie_ = 0;
  std::int32_t registration_ = 0;
};

// Fake objects alive now (each released to zero is gone).
int LiveFakeObjects();

}  // namespace fakes
