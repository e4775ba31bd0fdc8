#include "platform/linux/wbem_linux.h"

#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/linux/hardware_classes.h"

namespace wmi::linux_layer {

namespace {

// Fails a call the way the scripting objects do: the description goes to
// the thread's error information and the code is returned.
HRESULT Fail(HRESULT hr, const Text& description) {
  SetThreadErrorInfo(description);
  return hr;
}

// The QueryInterface every object of this layer shares: the object's own
// interface, IUnknown and (for the scripting objects) IDispatch.
template <typename Interface, bool kIsDispatch = true>
class LayerObject : public Interface, public std::enable_shared_from_this<LayerObject<Interface, kIsDispatch>> {
 public:
  HRESULT QueryInterface(const Guid& iid, std::shared_ptr<IUnknownObject>* out) override {
    if (iid == Interface::kIid || iid == kIID_IUnknown || (kIsDispatch && iid == kIID_IDispatch)) {
      *out = this->shared_from_this();
      return kS_OK;
    }
    out->reset();
    return kE_NOINTERFACE;
  }
};

// Delivers a fixed list of items one call at a time.
class Enumerator : public LayerObject<IEnumVariant, false> {
 public:
  explicit Enumerator(std::vector<Variant> items) : items_(std::move(items)) {}

  HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) override {
    if (count > 0 && items == nullptr) return kE_POINTER;
    std::uint32_t delivered = 0;
    while (delivered < count && position_ < items_.size()) items[delivered++] = items_[position_++];
    if (fetched != nullptr) *fetched = delivered;
    return delivered == count ? kS_OK : kS_FALSE;
  }

 private:
  std::vector<Variant> items_;
  std::size_t position_ = 0;
};

class Property : public LayerObject<ISWbemProperty> {
 public:
  explicit Property(PropertyValue value) : value_(std::move(value)) {}
  HRESULT Value(Variant* value) override {
    *value = value_.value;
    return kS_OK;
  }
  HRESULT Name(Text* name) override {
    *name = value_.name;
    return kS_OK;
  }
  HRESULT CIMType(std::int32_t* type) override {
    *type = value_.cim_type;
    return kS_OK;
  }

 private:
  PropertyValue value_;
};

class PropertySet : public LayerObject<ISWbemPropertySet> {
 public:
  explicit PropertySet(const WmiInstance& instance) : instance_(instance) {}
  HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) override {
    std::vector<Variant> items;
    for (const auto& value : instance_) items.push_back(Variant::Object(std::make_shared<Property>(value)));
    *enumerator = std::make_shared<Enumerator>(std::move(items));
    return kS_OK;
  }
  HRESULT Count(std::int32_t* count) override {
    *count = static_cast<std::int32_t>(instance_.size());
    return kS_OK;
  }

 private:
  WmiInstance instance_;
};

class Object : public LayerObject<ISWbemObject> {
 public:
  explicit Object(WmiInstance instance) : instance_(std::move(instance)) {}
  HRESULT Properties(std::shared_ptr<ISWbemPropertySet>* properties) override {
    *properties = std::make_shared<PropertySet>(instance_);
    return kS_OK;
  }

 private:
  WmiInstance instance_;
};

class ObjectSet : public LayerObject<ISWbemObjectSet> {
 public:
  explicit ObjectSet(std::vector<WmiInstance> instances) {
    for (auto& instance : instances) objects_.push_back(std::make_shared<Object>(std::move(instance)));
  }
  HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) override {
    std::vector<Variant> items;
    for (const auto& object : objects_) items.push_back(Variant::Object(object));
    *enumerator = std::make_shared<Enumerator>(std::move(items));
    return kS_OK;
  }
  HRESULT Count(std::int32_t* count) override {
    *count = static_cast<std::int32_t>(objects_.size());
    return kS_OK;
  }

 private:
  std::vector<std::shared_ptr<Object>> objects_;
};

// ---------------------------------------------------------------------------
// WQL: "SELECT * FROM <class>" and "SELECT <p1>, <p2> FROM <class>".

struct SelectQuery {
  Text class_name;
  std::vector<Text> properties;  // empty: all
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// Splits a query into words, "*" and ",".
std::vector<Text> Tokens(const Text& query) {
  std::vector<Text> tokens;
  std::size_t i = 0;
  while (i < query.size()) {
    if (IsBlank(query[i])) {
      ++i;
    } else if (IsNameChar(query[i])) {
      std::size_t end = i;
      while (end < query.size() && IsNameChar(query[end])) ++end;
      tokens.push_back(query.substr(i, end - i));
      i = end;
    } else {
      tokens.push_back(query.substr(i, 1));
      ++i;
    }
  }
  return tokens;
}

bool IsName(const Text& token) { return !token.empty() && IsNameChar(token[0]); }

std::optional<SelectQuery> ParseSelect(const Text& query) {
  std::vector<Text> t = Tokens(query);
  // SELECT list FROM class: at least 4 tokens, the class last.
  if (t.size() < 4 || !EqualsNoCase(t[0], u"SELECT") || !EqualsNoCase(t[t.size() - 2], u"FROM") || !IsName(t.back())) {
    return std::nullopt;
  }
  SelectQuery select;
  select.class_name = t.back();
  std::size_t list_end = t.size() - 2;
  if (list_end == 2 && t[1] == u"*") return select;
  for (std::size_t k = 1; k < list_end; ++k) {
    bool want_name = (k % 2) == 1;
    if (want_name ? !IsName(t[k]) : t[k] != u",") return std::nullopt;
    if (want_name) select.properties.push_back(t[k]);
  }
  if (list_end % 2 == 0) return select;  // the list ends with a name
  return std::nullopt;
}

// Keeps only the selected properties, in the order of the list; nullopt
// when one of them is no property of the class.
std::optional<std::vector<Text>> ResolveProperties(const Text& canonical_class, const std::vector<Text>& wanted) {
  std::vector<Text> names = ClassPropertyNames(canonical_class);
  std::vector<Text> resolved;
  for (const auto& w : wanted) {
    auto it = std::find_if(names.begin(), names.end(), [&](const Text& n) { return EqualsNoCase(n, w); });
    if (it == names.end()) return std::nullopt;
    if (std::find(resolved.begin(), resolved.end(), *it) == resolved.end()) resolved.push_back(*it);
  }
  return resolved;
}

std::vector<WmiInstance> Restrict(std::vector<WmiInstance> instances, const std::vector<Text>& names) {
  for (auto& instance : instances) {
    WmiInstance kept;
    for (const auto& name : names) {
      auto it = std::find_if(instance.begin(), instance.end(), [&](const PropertyValue& p) { return p.name == name; });
      if (it != instance.end()) kept.push_back(std::move(*it));
    }
    instance = std::move(kept);
  }
  return instances;
}

// The instances of a class, or WBEM_E_FAILED when a reader broke its
// class's schema (a mistake of this layer; no call may throw).
HRESULT ReadClass(const Text& canonical_class, const LinuxMachine& machine, std::vector<WmiInstance>* instances) {
  try {
    *instances = ReadInstances(canonical_class, machine);
    return kS_OK;
  } catch (const SchemaError&) {
    return Fail(kWBEM_E_FAILED, u"Generic failure ");
  }
}

class Services : public LayerObject<ISWbemServices> {
 public:
  explicit Services(LinuxMachine machine) : machine_(std::move(machine)) {}

  HRESULT ExecQuery(const Text& query, const Text& language, std::int32_t, const std::shared_ptr<IUnknownObject>&,
                    std::shared_ptr<ISWbemObjectSet>* result) override {
    result->reset();
    if (!language.empty() && !EqualsNoCase(language, u"WQL")) {
      return Fail(kWBEM_E_INVALID_QUERY_TYPE, u"Invalid query language ");
    }
    auto select = ParseSelect(query);
    if (!select) return Fail(kWBEM_E_INVALID_QUERY, u"Invalid query ");
    auto canonical = CanonicalClassName(select->class_name);
    if (!canonical) return Fail(kWBEM_E_INVALID_CLASS, u"Invalid class ");
    std::vector<WmiInstance> instances;
    if (HRESULT hr = ReadClass(*canonical, machine_, &instances); hr != kS_OK) return hr;
    if (!select->properties.empty()) {
      auto names = ResolveProperties(*canonical, select->properties);
      if (!names) return Fail(kWBEM_E_INVALID_QUERY, u"Invalid query ");
      instances = Restrict(std::move(instances), *names);
    }
    *result = std::make_shared<ObjectSet>(std::move(instances));
    return kS_OK;
  }

  HRESULT InstancesOf(const Text& class_name, std::int32_t, const std::shared_ptr<IUnknownObject>&,
                      std::shared_ptr<ISWbemObjectSet>* result) override {
    result->reset();
    auto canonical = CanonicalClassName(class_name);
    if (!canonical) return Fail(kWBEM_E_INVALID_CLASS, u"Invalid class ");
    std::vector<WmiInstance> instances;
    if (HRESULT hr = ReadClass(*canonical, machine_, &instances); hr != kS_OK) return hr;
    *result = std::make_shared<ObjectSet>(std::move(instances));
    return kS_OK;
  }

 private:
  LinuxMachine machine_;
};

// The names that address the local machine: "", ".", "localhost", the
// loopback address and the host name, letter case ignored.
bool IsLocalServer(const Text& server) {
  if (server.empty() || server == u"." || EqualsNoCase(server, u"localhost") || server == u"127.0.0.1") {
    return true;
  }
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return false;
  return EqualsNoCase(server, syscode::FromUtf8(host));
}

// "root\cimv2" in any letter case, with either slash; an empty namespace is
// the default namespace, which is the same.
bool IsCimv2(const Text& name_space) {
  if (name_space.empty()) return true;
  Text normalized = name_space;
  std::replace(normalized.begin(), normalized.end(), u'/', u'\\');
  return EqualsNoCase(normalized, u"root\\cimv2");
}

class Locator : public LayerObject<ISWbemLocator> {
 public:
  explicit Locator(LinuxMachine machine) : machine_(std::move(machine)) {}

  HRESULT ConnectServer(const Text& server, const Text& name_space, const Text& user, const Text&, const Text&,
                        const Text&, std::int32_t, const std::shared_ptr<IUnknownObject>&,
                        std::shared_ptr<ISWbemServices>* services) override {
    services->reset();
    if (!IsLocalServer(server)) return Fail(kRPC_S_SERVER_UNAVAILABLE, u"The RPC server is unavailable. ");
    if (!user.empty()) {
      return Fail(kWBEM_E_LOCAL_CREDENTIALS, u"User credentials cannot be used for local connections ");
    }
    if (!IsCimv2(name_space)) return Fail(kWBEM_E_INVALID_NAMESPACE, u"Invalid namespace ");
    *services = std::make_shared<Services>(machine_);
    return kS_OK;
  }

 private:
  LinuxMachine machine_;
};

}  // namespace

std::shared_ptr<ISWbemLocator> MakeLocator(LinuxMachine machine) {
  return std::make_shared<Locator>(std::move(machine));
}

}  // namespace wmi::linux_layer
