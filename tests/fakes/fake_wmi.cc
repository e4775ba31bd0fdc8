#include "fakes/fake_wmi.h"

#include <functional>
#include <new>
#include <type_traits>
#include <utility>

#include "base/errors.h"

namespace fakes {
namespace {

using wmi::Guid;
using wmi::IUnknownObject;

Text Lower(const Text& text) {
  Text out = text;
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

std::string U8(const Text& text) { return syscode::ToUtf8(text); }

std::string Joined(std::initializer_list<std::string> parts) {
  std::string out;
  bool first = true;
  for (const std::string& part : parts) {
    if (!first) out += ",";
    out += part;
    first = false;
  }
  return out;
}

std::string NamedValues(const std::shared_ptr<IUnknownObject>& named_values) { return named_values ? "set" : "none"; }

// The common part of every fake object: counts itself, records and answers
// QueryInterface for its one interface (and IUnknown).
template <typename Interface>
class FakeObject : public Interface, public std::enable_shared_from_this<FakeObject<Interface>> {
 public:
  FakeObject(FakeComRuntime& runtime, std::string kind) : runtime_(runtime), kind_(std::move(kind)) {
    runtime_.ObjectCreated();
  }
  ~FakeObject() override { runtime_.ObjectDestroyed(); }

  HRESULT QueryInterface(const Guid& iid, std::shared_ptr<IUnknownObject>* out) override {
    out->reset();
    if (auto hr = Enter("QueryInterface", [&] { return GuidName(iid); })) return *hr;
    if (!(iid == Interface::kIid) && !(iid == wmi::kIID_IUnknown)) return wmi::kE_NOINTERFACE;
    *out = this->shared_from_this();
    return wmi::kS_OK;
  }

 protected:
  // `arguments` is their text or a callable giving it, made only when the
  // call is recorded or may meet a fault.
  template <typename Arguments>
  std::optional<HRESULT> Enter(const char* method, Arguments&& arguments) {
    if (!runtime_.Watching()) return std::nullopt;
    if constexpr (std::is_invocable_v<Arguments>) {
      return runtime_.Enter(kind_ + "." + method, arguments());
    } else {
      return runtime_.Enter(kind_ + "." + method, arguments);
    }
  }
  FakeComRuntime& runtime_;

 private:
  std::string kind_;
};

// Delivers `size` items made by `item` one at a time.
class FakeEnum : public FakeObject<wmi::IEnumVariant> {
 public:
  FakeEnum(FakeComRuntime& runtime, std::string kind, size_t size, std::function<Variant(size_t)> item)
      : FakeObject(runtime, std::move(kind)), size_(size), item_(std::move(item)) {}

  HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) override {
    *fetched = 0;
    if (auto hr = Enter("Next", [&] { return std::to_string(count); })) return *hr;
    while (*fetched < count && position_ < size_) items[(*fetched)++] = item_(position_++);
    return *fetched == count ? wmi::kS_OK : wmi::kS_FALSE;
  }

 private:
  size_t size_;
  size_t position_ = 0;
  std::function<Variant(size_t)> item_;
};

class FakePropertyObject : public FakeObject<wmi::ISWbemProperty> {
 public:
  FakePropertyObject(FakeComRuntime& runtime, const FakeProperty& definition)
      : FakeObject(runtime, "Property"), definition_(definition) {}

  HRESULT Value(Variant* value) override {
    *value = Variant();
    if (auto hr = Enter("Value", [&] { return U8(definition_.name); })) return *hr;
    *value = definition_.value;
    return wmi::kS_OK;
  }
  HRESULT Name(Text* name) override {
    name->clear();
    if (auto hr = Enter("Name", [&] { return U8(definition_.name); })) return *hr;
    *name = definition_.name;
    return wmi::kS_OK;
  }
  HRESULT CIMType(std::int32_t* type) override {
    *type = 0;
    if (auto hr = Enter("CIMType", [&] { return U8(definition_.name); })) return *hr;
    *type = definition_.cim_type;
    return wmi::kS_OK;
  }

 private:
  const FakeProperty& definition_;
};

class FakePropertySet : public FakeObject<wmi::ISWbemPropertySet> {
 public:
  FakePropertySet(FakeComRuntime& runtime, const FakeInstance& definition)
      : FakeObject(runtime, "PropertySet"), definition_(definition) {}

  HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) override {
    enumerator->reset();
    if (auto hr = Enter("_NewEnum", "")) return *hr;
    const FakeInstance& definition = definition_;
    FakeComRuntime& runtime = runtime_;
    *enumerator = std::make_shared<FakeEnum>(
        runtime_, "PropertyEnum", definition.properties.size(), [&definition, &runtime](size_t index) {
          const FakeProperty& property = definition.properties[index];
          if (property.delivered_as) return *property.delivered_as;
          return Variant::Object(std::make_shared<FakePropertyObject>(runtime, property));
        });
    return wmi::kS_OK;
  }
  HRESULT Count(std::int32_t* count) override {
    *count = 0;
    if (auto hr = Enter("Count", "")) return *hr;
    *count = definition_.reported_count.value_or(static_cast<std::int32_t>(definition_.properties.size()));
    return wmi::kS_OK;
  }

 private:
  const FakeInstance& definition_;
};

class FakeObjectInstance : public FakeObject<wmi::ISWbemObject> {
 public:
  FakeObjectInstance(FakeComRuntime& runtime, const FakeInstance& definition)
      : FakeObject(runtime, "Object"), definition_(definition) {}

  HRESULT Properties(std::shared_ptr<wmi::ISWbemPropertySet>* properties) override {
    properties->reset();
    if (auto hr = Enter("Properties_", "")) return *hr;
    *properties = std::make_shared<FakePropertySet>(runtime_, definition_);
    return wmi::kS_OK;
  }

 private:
  const FakeInstance& definition_;
};

class FakeObjectSet : public FakeObject<wmi::ISWbemObjectSet> {
 public:
  FakeObjectSet(FakeComRuntime& runtime, const FakeClass& definition)
      : FakeObject(runtime, "ObjectSet"), definition_(definition) {}

  HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) override {
    enumerator->reset();
    if (auto hr = Enter("_NewEnum", "")) return *hr;
    const FakeClass& definition = definition_;
    FakeComRuntime& runtime = runtime_;
    *enumerator = std::make_shared<FakeEnum>(
        runtime_, "ObjectEnum", definition.instances.size(), [&definition, &runtime](size_t index) {
          const FakeInstance& instance = definition.instances[index];
          if (instance.delivered_as) return *instance.delivered_as;
          return Variant::Object(std::make_shared<FakeObjectInstance>(runtime, instance));
        });
    return wmi::kS_OK;
  }
  HRESULT Count(std::int32_t* count) override {
    *count = 0;
    if (auto hr = Enter("Count", "")) return *hr;
    *count = definition_.reported_count.value_or(static_cast<std::int32_t>(definition_.instances.size()));
    return wmi::kS_OK;
  }

 private:
  const FakeClass& definition_;
};

class FakeServices : public FakeObject<wmi::ISWbemServices> {
 public:
  FakeServices(FakeComRuntime& runtime, Text name_space)
      : FakeObject(runtime, "Services"), name_space_(std::move(name_space)) {}

  HRESULT ExecQuery(const Text& query, const Text& language, std::int32_t flags,
                    const std::shared_ptr<IUnknownObject>& named_values,
                    std::shared_ptr<wmi::ISWbemObjectSet>* result) override {
    result->reset();
    if (auto hr =
            Enter("ExecQuery", Joined({U8(query), U8(language), std::to_string(flags), NamedValues(named_values)}))) {
      return *hr;
    }
    if (language != u"WQL") return Fail(static_cast<HRESULT>(0x80041018u), u"Invalid query language ");
    const FakeClass* definition = runtime_.FindQuery(query);
    if (definition == nullptr) return Fail(wmi::kWBEM_E_INVALID_QUERY, u"Invalid query ");
    *result = std::make_shared<FakeObjectSet>(runtime_, *definition);
    return wmi::kS_OK;
  }

  HRESULT InstancesOf(const Text& class_name, std::int32_t flags, const std::shared_ptr<IUnknownObject>& named_values,
                      std::shared_ptr<wmi::ISWbemObjectSet>* result) override {
    result->reset();
    if (auto hr = Enter("InstancesOf", Joined({U8(class_name), std::to_string(flags), NamedValues(named_values)}))) {
      return *hr;
    }
    const FakeClass* definition = runtime_.FindClass(name_space_, class_name);
    if (definition == nullptr) return Fail(wmi::kWBEM_E_INVALID_CLASS, u"Invalid class ");
    *result = std::make_shared<FakeObjectSet>(runtime_, *definition);
    return wmi::kS_OK;
  }

 private:
  static HRESULT Fail(HRESULT hr, const Text& description) {
    wmi::SetThreadErrorInfo(description);
    return hr;
  }
  Text name_space_;
};

class FakeSecurity : public FakeObject<wmi::ISWbemSecurity> {
 public:
  explicit FakeSecurity(FakeComRuntime& runtime) : FakeObject(runtime, "Security") {}
};

class FakeLocator : public FakeObject<wmi::ISWbemLocator> {
 public:
  explicit FakeLocator(FakeComRuntime& runtime) : FakeObject(runtime, "Locator") {}

  HRESULT ConnectServer(const Text& server, const Text& name_space, const Text& user, const Text& password,
                        const Text& locale, const Text& authority, std::int32_t security_flags,
                        const std::shared_ptr<IUnknownObject>& named_values,
                        std::shared_ptr<wmi::ISWbemServices>* services) override {
    services->reset();
    if (auto hr = Enter("ConnectServer",
                        Joined({U8(server), U8(name_space), U8(user), U8(password), U8(locale), U8(authority),
                                std::to_string(security_flags), NamedValues(named_values)}))) {
      return *hr;
    }
    if (!runtime_.HasNamespace(name_space)) {
      wmi::SetThreadErrorInfo(u"Invalid namespace ");
      return wmi::kWBEM_E_INVALID_NAMESPACE;
    }
    *services = std::make_shared<FakeServices>(runtime_, name_space);
    return wmi::kS_OK;
  }

  HRESULT Security_(std::shared_ptr<wmi::ISWbemSecurity>* security) override {
    security->reset();
    if (auto hr = Enter("Security_", "")) return *hr;
    *security = std::make_shared<FakeSecurity>(runtime_);
    return wmi::kS_OK;
  }
};

}  // namespace

std::string GuidName(const Guid& guid) {
  static const std::pair<Guid, const char*> kNames[] = {
      {wmi::kCLSID_SWbemLocator, "SWbemLocator"},
      {wmi::kIID_ISWbemLocator, "ISWbemLocator"},
      {wmi::kIID_ISWbemServices, "ISWbemServices"},
      {wmi::kIID_ISWbemObject, "ISWbemObject"},
      {wmi::kIID_ISWbemObjectSet, "ISWbemObjectSet"},
      {wmi::kIID_ISWbemPropertySet, "ISWbemPropertySet"},
      {wmi::kIID_ISWbemProperty, "ISWbemProperty"},
      {wmi::kIID_ISWbemSecurity, "ISWbemSecurity"},
      {wmi::kIID_IEnumVARIANT, "IEnumVARIANT"},
      {wmi::kIID_IUnknown, "IUnknown"},
      {wmi::kIID_IDispatch, "IDispatch"},
  };
  for (const auto& [known, name] : kNames) {
    if (known == guid) return name;
  }
  return U8(wmi::GuidText(guid));
}

FakeComRuntime::FakeComRuntime() {
  wmi::ClearThreadErrorInfo();
  system_messages = {
      {wmi::kE_FAIL, u"Unspecified error\r\n"},
      {wmi::kE_NOINTERFACE, u"No such interface supported\r\n"},
      {wmi::kE_POINTER, u"Invalid pointer\r\n"},
      {wmi::kE_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation.\r\n"},
      {wmi::kE_INVALIDARG, u"The parameter is incorrect.\r\n"},
      {wmi::kMK_E_UNAVAILABLE, u"Operation unavailable\r\n"},
      {wmi::kREGDB_E_CLASSNOTREG, u"Class not registered\r\n"},
      {static_cast<HRESULT>(0x80070005u), u"Access is denied.\r\n"},
  };
}

FakeComRuntime::~FakeComRuntime() {
  running_object.reset();
  wmi::ClearThreadErrorInfo();
}

FakeClass& FakeComRuntime::Class(const Text& name_space, const Text& class_name) {
  return namespaces_[Lower(name_space)][Lower(class_name)];
}

void FakeComRuntime::AddNamespace(const Text& name_space) { namespaces_[Lower(name_space)]; }

FakeClass& FakeComRuntime::Query(const Text& query) { return queries_[query]; }

std::shared_ptr<IUnknownObject> FakeComRuntime::NewLocator() { return std::make_shared<FakeLocator>(*this); }

void FakeComRuntime::FailCall(std::string call, int ordinal, HRESULT hr, Text description) {
  AddFault(Fault{std::move(call), ordinal, hr, std::move(description), Fault::Kind::kReturn});
}

void FakeComRuntime::AddFault(Fault fault) { faults_.push_back(std::move(fault)); }

std::vector<std::string> FakeComRuntime::Calls(const std::string& call) const {
  std::vector<std::string> out;
  for (const std::string& entry : log) {
    if (entry.compare(0, call.size() + 1, call + "(") == 0) out.push_back(entry);
  }
  return out;
}

std::optional<HRESULT> FakeComRuntime::Enter(const std::string& call, const std::string& arguments) {
  if (record_calls) log.push_back(call + "(" + arguments + ")");
  const int ordinal = ++call_counts_[call];
  for (const Fault& fault : faults_) {
    if (fault.call != call || fault.ordinal != ordinal) continue;
    switch (fault.kind) {
      case Fault::Kind::kThrow: throw syscode::Exception(fault.description);
      case Fault::Kind::kThrowBadAlloc: throw std::bad_alloc();
      case Fault::Kind::kReturnNothing: return fault.hr;
      case Fault::Kind::kReturn:
        if (!fault.description.empty()) wmi::SetThreadErrorInfo(fault.description);
        return fault.hr;
    }
  }
  return std::nullopt;
}

const FakeClass* FakeComRuntime::FindClass(const Text& name_space, const Text& class_name) const {
  auto space = namespaces_.find(Lower(name_space));
  if (space == namespaces_.end()) return nullptr;
  auto found = space->second.find(Lower(class_name));
  return found == space->second.end() ? nullptr : &found->second;
}

bool FakeComRuntime::HasNamespace(const Text& name_space) const { return namespaces_.count(Lower(name_space)) != 0; }

const FakeClass* FakeComRuntime::FindQuery(const Text& query) const {
  auto found = queries_.find(query);
  return found == queries_.end() ? nullptr : &found->second;
}

HRESULT FakeComRuntime::GetActiveObject(const Guid& clsid, std::shared_ptr<IUnknownObject>* object) {
  object->reset();
  if (auto hr = Enter("GetActiveObject", GuidName(clsid))) return *hr;
  if (!running_object) return wmi::kMK_E_UNAVAILABLE;
  *object = running_object;
  return wmi::kS_OK;
}

HRESULT FakeComRuntime::CoCreateInstance(const Guid& clsid, std::uint32_t class_context, const Guid& iid,
                                         std::shared_ptr<IUnknownObject>* object) {
  object->reset();
  if (auto hr = Enter("CoCreateInstance", Joined({GuidName(clsid), std::to_string(class_context), GuidName(iid)}))) {
    return *hr;
  }
  if (!(clsid == wmi::kCLSID_SWbemLocator)) return wmi::kREGDB_E_CLASSNOTREG;
  *object = NewLocator();
  return wmi::kS_OK;
}

Text FakeComRuntime::TakeErrorDescription() { return wmi::TakeThreadErrorInfo(); }

Text FakeComRuntime::SystemMessage(HRESULT hr) {
  auto found = system_messages.find(hr);
  return found == system_messages.end() ? Text() : found->second;
}

FakeProperty Prop(Text name, std::int32_t cim_type, Variant value) {
  return FakeProperty{std::move(name), cim_type, std::move(value), std::nullopt};
}

FakeProperty TextProp(Text name, Text value) { return Prop(std::move(name), 8, Variant::String(std::move(value))); }

FakeInstance Instance(std::vector<FakeProperty> properties) {
  return FakeInstance{std::move(properties), std::nullopt, std::nullopt};
}

}  // namespace fakes
