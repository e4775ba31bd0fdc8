// A scriptable stand-in for the COM runtime and the WMI scripting objects:
// namespaces hold classes, classes hold instances, instances hold typed
// properties. Any single call can be made to fail (by name and ordinal),
// an enumeration can deliver fewer or more instances than its Count, and
// every call is recorded so that tests can assert the exact sequence.
// Every fake object counts itself while alive, so a test can assert that
// everything was released.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "wmi/com_runtime.h"
#include "wmi/variant.h"
#include "wmi/wbem.h"

namespace fakes {

using syscode::Text;
using wmi::HRESULT;
using wmi::Variant;

struct FakeProperty {
  Text name;
  std::int32_t cim_type = 8;
  Variant value;
  // When set, the property enumerator delivers this item in place of the
  // property object (e.g. a number instead of an object).
  std::optional<Variant> delivered_as;
};

struct FakeInstance {
  std::vector<FakeProperty> properties;
  // What the property set's Count reports; the number of properties when unset.
  std::optional<std::int32_t> reported_count;
  // When set, the instance enumerator delivers this item in place of the object.
  std::optional<Variant> delivered_as;
};

struct FakeClass {
  std::vector<FakeInstance> instances;
  // What the object set's Count reports; the number of instances when unset.
  // Smaller than the instances: the enumeration delivers more than its count;
  // larger: fewer.
  std::optional<std::int32_t> reported_count;
};

// The `ordinal`-th call (1-based, counted over the runtime's life) of the
// call named `call` does not do its work and instead:
struct Fault {
  enum class Kind {
    kReturn,         // returns `hr`, leaving `description` as the thread's error information
    kReturnNothing,  // returns `hr` (a success code) without the object it should give
    kThrow,          // throws syscode::Exception(description)
    kThrowBadAlloc,  // throws std::bad_alloc
  };
  std::string call;
  int ordinal = 1;
  HRESULT hr = wmi::kE_FAIL;
  Text description;
  Kind kind = Kind::kReturn;
};

// Call names, as recorded and as faults name them:
//   GetActiveObject, CoCreateInstance,
//   Locator.QueryInterface, Locator.ConnectServer, Locator.Security_,
//   Services.QueryInterface, Services.ExecQuery, Services.InstancesOf,
//   ObjectSet.QueryInterface, ObjectSet.Count, ObjectSet._NewEnum,
//   ObjectEnum.QueryInterface, ObjectEnum.Next,
//   Object.QueryInterface, Object.Properties_,
//   PropertySet.QueryInterface, PropertySet.Count, PropertySet._NewEnum,
//   PropertyEnum.QueryInterface, PropertyEnum.Next,
//   Property.QueryInterface, Property.Value, Property.CIMType, Property.Name.
// The log holds "<name>(<arguments>)", e.g. "Services.InstancesOf(Win32_BIOS,17,none)"
// or "Property.Value(Name)"; interfaces and classes appear by name
// ("ISWbemLocator", "SWbemLocator").
class FakeComRuntime : public wmi::ComRuntime {
 public:
  FakeComRuntime();
  ~FakeComRuntime() override;
  FakeComRuntime(const FakeComRuntime&) = delete;
  FakeComRuntime& operator=(const FakeComRuntime&) = delete;

  // The class `class_name` in `name_space`, created (empty) when missing.
  // Namespaces and classes are matched without regard to ASCII case, as WMI does.
  FakeClass& Class(const Text& name_space, const Text& class_name);
  // Makes `name_space` exist (without classes).
  void AddNamespace(const Text& name_space);
  // The result set of the WQL query text `query` (matched exactly).
  FakeClass& Query(const Text& query);

  // A locator object of this world, e.g. to register as the running object.
  std::shared_ptr<wmi::IUnknownObject> NewLocator();
  // GetActiveObject gives this object when set; fails with MK_E_UNAVAILABLE otherwise.
  std::shared_ptr<wmi::IUnknownObject> running_object;

  // SystemMessage's table (with the line break the system puts at the end).
  std::map<HRESULT, Text> system_messages;

  void FailCall(std::string call, int ordinal, HRESULT hr, Text description = Text());
  void AddFault(Fault fault);

  // Every call made, in order (while record_calls is set).
  std::vector<std::string> log;
  bool record_calls = true;
  // The calls of the log whose name is `call` (with their arguments).
  std::vector<std::string> Calls(const std::string& call) const;
  // Fake objects currently alive (locators, services, sets, enumerators,
  // instances, property sets, properties).
  int live_objects() const { return live_objects_; }

  // wmi::ComRuntime.
  HRESULT GetActiveObject(const wmi::Guid& clsid, std::shared_ptr<wmi::IUnknownObject>* object) override;
  HRESULT CoCreateInstance(const wmi::Guid& clsid, std::uint32_t class_context, const wmi::Guid& iid,
                           std::shared_ptr<wmi::IUnknownObject>* object) override;
  Text TakeErrorDescription() override;
  Text SystemMessage(HRESULT hr) override;

  // Used by the fake objects: records the call and applies a fault aimed at
  // it. Returns the HRESULT to give instead of doing the work (the call
  // then gives no object), or nothing when the call goes ahead.
  std::optional<HRESULT> Enter(const std::string& call, const std::string& arguments);
  // Whether calls are recorded or faults are armed; when not, the objects
  // skip Enter altogether (benchmarks).
  bool Watching() const { return record_calls || !faults_.empty(); }
  void ObjectCreated() { ++live_objects_; }
  void ObjectDestroyed() { --live_objects_; }
  const FakeClass* FindClass(const Text& name_space, const Text& class_name) const;
  bool HasNamespace(const Text& name_space) const;
  const FakeClass* FindQuery(const Text& query) const;

 private:
  std::map<Text, std::map<Text, FakeClass>> namespaces_;  // keys in lower case
  std::map<Text, FakeClass> queries_;
  std::vector<Fault> faults_;
  std::map<std::string, int> call_counts_;
  int live_objects_ = 0;
};

// Short helpers for building worlds.
FakeProperty Prop(Text name, std::int32_t cim_type, Variant value);
FakeProperty TextProp(Text name, Text value);
FakeInstance Instance(std::vector<FakeProperty> properties);

// "ISWbemLocator", "SWbemLocator", ... or the braced form for others.
std::string GuidName(const wmi::Guid& guid);

}  // namespace fakes
