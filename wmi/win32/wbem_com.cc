// Adapters from the real scripting objects (wbemdisp.h) to wmi/wbem.h.
#include "wmi/win32/wbem_com.h"

#include <wbemdisp.h>

#include <vector>

namespace wmi::win32 {

namespace {

using wmi::Guid;
using wmi::IUnknownObject;
using wmi::Variant;

// What every adapter shares: the one COM reference it holds, typed as the
// interface it adapts.
class ComHolder {
 public:
  virtual ~ComHolder() = default;
  virtual IUnknown* Unknown() const = 0;
};

template <typename Model, typename Com>
class Adapter : public Model, public ComHolder {
 public:
  explicit Adapter(ComPtr<Com> com) : com_(std::move(com)) {}

  IUnknown* Unknown() const override { return com_.Get(); }

  wmi::HRESULT QueryInterface(const Guid& iid, std::shared_ptr<IUnknownObject>* out) override {
    out->reset();
    ComPtr<IUnknown> result;
    const GUID com_iid = ToGuid(iid);
    HRESULT hr = com_.QueryAs(com_iid, &result);
    if (SUCCEEDED(hr)) *out = WrapInterface(iid, std::move(result));
    return hr;
  }

 protected:
  Com* com() const { return com_.Get(); }

 private:
  ComPtr<Com> com_;
};

// Casts a reference known to be of interface T (it came from a
// QueryInterface or an out-argument for T).
template <typename T>
ComPtr<T> As(ComPtr<IUnknown> object) {
  return ComPtr<T>::Share(reinterpret_cast<T*>(object.Get()));
}

// The IDispatch of an optional named-value set, which must be an adapter.
HRESULT NamedValues(const std::shared_ptr<IUnknownObject>& set, ComPtr<IDispatch>* out) {
  out->Reset();
  if (!set) return S_OK;
  IUnknown* object = ComObjectOf(set.get());
  if (object == nullptr) return E_INVALIDARG;
  return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out->Receive()));
}

// Gives the wrapped enumerator of a collection's get__NewEnum.
template <typename Com>
HRESULT NewEnumOf(Com* collection, std::shared_ptr<IUnknownObject>* enumerator) {
  enumerator->reset();
  ComPtr<IUnknown> result;
  HRESULT hr = collection->get__NewEnum(result.Receive());
  if (SUCCEEDED(hr)) *enumerator = WrapInterface(wmi::kIID_IUnknown, std::move(result));
  return hr;
}

class UnknownAdapter : public Adapter<IUnknownObject, IUnknown> {
 public:
  using Adapter::Adapter;
};

class EnumVariantAdapter : public Adapter<wmi::IEnumVariant, IEnumVARIANT> {
 public:
  using Adapter::Adapter;

  wmi::HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) override {
    std::vector<ScopedVariant> raw(count);
    std::vector<VARIANT> slots(count);
    for (VARIANT& slot : slots) VariantInit(&slot);
    ULONG got = 0;
    HRESULT hr = com()->Next(count, slots.data(), &got);
    // Each delivered VARIANT goes to its owner first, so it is cleared
    // whatever happens next.
    for (ULONG i = 0; i < got && i < count; ++i) *raw[i].Receive() = slots[i];
    if (fetched != nullptr) *fetched = 0;
    for (ULONG i = 0; i < got && i < count; ++i) {
      HRESULT converted = FromComVariant(*raw[i].Get(), &items[i]);
      if (FAILED(converted)) return converted;
      if (fetched != nullptr) *fetched = i + 1;
    }
    return hr;
  }
};

class PropertyAdapter : public Adapter<wmi::ISWbemProperty, ::ISWbemProperty> {
 public:
  using Adapter::Adapter;

  wmi::HRESULT Value(Variant* value) override {
    ScopedVariant raw;
    HRESULT hr = com()->get_Value(raw.Receive());
    if (FAILED(hr)) return hr;
    HRESULT converted = FromComVariant(*raw.Get(), value);
    return FAILED(converted) ? converted : hr;
  }

  wmi::HRESULT Name(Text* name) override {
    Bstr raw;
    HRESULT hr = com()->get_Name(raw.Receive());
    if (SUCCEEDED(hr)) *name = raw.ToText();
    return hr;
  }

  wmi::HRESULT CIMType(std::int32_t* type) override {
    WbemCimtypeEnum raw = static_cast<WbemCimtypeEnum>(0);
    HRESULT hr = com()->get_CIMType(&raw);
    if (SUCCEEDED(hr)) *type = static_cast<std::int32_t>(raw);
    return hr;
  }
};

// A collection, the property set or the object set: its count and its
// enumerator.
template <typename Interface, typename ComInterface>
class CollectionAdapter : public Adapter<Interface, ComInterface> {
 public:
  using Adapter<Interface, ComInterface>::Adapter;

  wmi::HRESULT NewEnum(std::shared_ptr<IUnknownObject>* enumerator) override {
    return NewEnumOf(this->com(), enumerator);
  }

  wmi::HRESULT Count(std::int32_t* count) override {
    LONG raw = 0;
    HRESULT hr = this->com()->get_Count(&raw);
    if (SUCCEEDED(hr)) *count = raw;
    return hr;
  }
};

using PropertySetAdapter = CollectionAdapter<wmi::ISWbemPropertySet, ::ISWbemPropertySet>;
using ObjectSetAdapter = CollectionAdapter<wmi::ISWbemObjectSet, ::ISWbemObjectSet>;

class ObjectAdapter : public Adapter<wmi::ISWbemObject, ::ISWbemObject> {
 public:
  using Adapter::Adapter;

  wmi::HRESULT Properties(std::shared_ptr<wmi::ISWbemPropertySet>* properties) override {
    properties->reset();
    ComPtr<::ISWbemPropertySet> result;
    HRESULT hr = com()->get_Properties_(result.Receive());
    if (SUCCEEDED(hr) && result) *properties = std::make_shared<PropertySetAdapter>(std::move(result));
    return hr;
  }
};

class ServicesAdapter : public Adapter<wmi::ISWbemServices, ::ISWbemServices> {
 public:
  using Adapter::Adapter;

  wmi::HRESULT ExecQuery(const Text& query, const Text& language, std::int32_t flags,
                         const std::shared_ptr<IUnknownObject>& named_values,
                         std::shared_ptr<wmi::ISWbemObjectSet>* result) override {
    result->reset();
    ComPtr<IDispatch> values;
    HRESULT hr = NamedValues(named_values, &values);
    if (FAILED(hr)) return hr;
    Bstr query_text(query);
    Bstr language_text(language);
    ComPtr<::ISWbemObjectSet> set;
    hr = com()->ExecQuery(query_text.Get(), language_text.Get(), flags, values.Get(), set.Receive());
    if (SUCCEEDED(hr) && set) *result = std::make_shared<ObjectSetAdapter>(std::move(set));
    return hr;
  }

  wmi::HRESULT InstancesOf(const Text& class_name, std::int32_t flags,
                           const std::shared_ptr<IUnknownObject>& named_values,
                           std::shared_ptr<wmi::ISWbemObjectSet>* result) override {
    result->reset();
    ComPtr<IDispatch> values;
    HRESULT hr = NamedValues(named_values, &values);
    if (FAILED(hr)) return hr;
    Bstr class_text(class_name);
    ComPtr<::ISWbemObjectSet> set;
    hr = com()->InstancesOf(class_text.Get(), flags, values.Get(), set.Receive());
    if (SUCCEEDED(hr) && set) *result = std::make_shared<ObjectSetAdapter>(std::move(set));
    return hr;
  }
};

class SecurityAdapter : public Adapter<wmi::ISWbemSecurity, ::ISWbemSecurity> {
 public:
  using Adapter::Adapter;
};

class LocatorAdapter : public Adapter<wmi::ISWbemLocator, ::ISWbemLocator> {
 public:
  using Adapter::Adapter;

  wmi::HRESULT ConnectServer(const Text& server, const Text& name_space, const Text& user, const Text& password,
                             const Text& locale, const Text& authority, std::int32_t security_flags,
                             const std::shared_ptr<IUnknownObject>& named_values,
                             std::shared_ptr<wmi::ISWbemServices>* services) override {
    services->reset();
    ComPtr<IDispatch> values;
    HRESULT hr = NamedValues(named_values, &values);
    if (FAILED(hr)) return hr;
    Bstr server_text(server), namespace_text(name_space), user_text(user), password_text(password), locale_text(locale),
        authority_text(authority);
    ComPtr<::ISWbemServices> result;
    hr = com()->ConnectServer(server_text.Get(), namespace_text.Get(), user_text.Get(), password_text.Get(),
                              locale_text.Get(), authority_text.Get(), security_flags, values.Get(), result.Receive());
    if (SUCCEEDED(hr) && result) *services = std::make_shared<ServicesAdapter>(std::move(result));
    return hr;
  }

  wmi::HRESULT Security_(std::shared_ptr<wmi::ISWbemSecurity>* security) override {
    security->reset();
    ComPtr<::ISWbemSecurity> result;
    HRESULT hr = com()->get_Security_(result.Receive());
    if (SUCCEEDED(hr) && result) *security = std::make_shared<SecurityAdapter>(std::move(result));
    return hr;
  }
};

}  // namespace

std::shared_ptr<IUnknownObject> WrapInterface(const Guid& iid, ComPtr<IUnknown> object) {
  if (!object) return nullptr;
  if (iid == wmi::kIID_ISWbemLocator) return std::make_shared<LocatorAdapter>(As<::ISWbemLocator>(object));
  if (iid == wmi::kIID_ISWbemServices) return std::make_shared<ServicesAdapter>(As<::ISWbemServices>(object));
  if (iid == wmi::kIID_ISWbemObjectSet) return std::make_shared<ObjectSetAdapter>(As<::ISWbemObjectSet>(object));
  if (iid == wmi::kIID_IEnumVARIANT) return std::make_shared<EnumVariantAdapter>(As<IEnumVARIANT>(object));
  if (iid == wmi::kIID_ISWbemObject) return std::make_shared<ObjectAdapter>(As<::ISWbemObject>(object));
  if (iid == wmi::kIID_ISWbemPropertySet) {
    return std::make_shared<PropertySetAdapter>(As<::ISWbemPropertySet>(object));
  }
  if (iid == wmi::kIID_ISWbemProperty) return std::make_shared<PropertyAdapter>(As<::ISWbemProperty>(object));
  if (iid == wmi::kIID_ISWbemSecurity) return std::make_shared<SecurityAdapter>(As<::ISWbemSecurity>(object));
  return std::make_shared<UnknownAdapter>(std::move(object));
}

IUnknown* ComObjectOf(const IUnknownObject* object) {
  const auto* holder = dynamic_cast<const ComHolder*>(object);
  return holder == nullptr ? nullptr : holder->Unknown();
}

}  // namespace wmi::win32
