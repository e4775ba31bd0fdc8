// The fake scripting objects, written against the C form of the COM
// interfaces (CINTERFACE): each object is a vtable pointer and its state, so
// only the methods the WMI query uses need bodies; the rest of every vtable
// stays empty and is never called.
#define CINTERFACE
#include <windows.h>
#include <oleauto.h>
#include <wbemdisp.h>

#include <string>

#include "fakes_com_variant.h"
#include "base/wide_text.h"
#include "windows/fake_wbem_com.h"

namespace fakes {

namespace {

int g_live = 0;

enum class Kind { kLocator, kServices, kObjectSet, kInstanceEnum, kObject, kPropertySet, kPropertyEnum, kProperty };

struct FakeObject {
  const void* lpVtbl;
  LONG refs;
  FakeWbemScript* script;
  Kind kind;
  size_t instance;  // the instance an object, property set or property belongs to
  size_t position;  // an enumerator's next item; a property's index
};

// {76A64158-CB41-11D1-8B02-00600806D9B6} and the interfaces of the model.
constexpr CLSID kClsidLocator = {0x76A64158, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidLocator = {0x76A6415B, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidServices = {0x76A6415C, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidObject = {0x76A6415A, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidObjectSet = {0x76A6415F, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidPropertySet = {0xDEA0A7B2, 0xD4BA, 0x11D1, {0x8B, 0x09, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidProperty = {0x1A388F98, 0xD4BA, 0x11D1, {0x8B, 0x09, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID kIidEnumVariant = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

FakeObject* Self(void* p) { return static_cast<FakeObject*>(p); }

const void* VtableOf(Kind kind);

FakeObject* New(FakeWbemScript* script, Kind kind, size_t instance = 0, size_t position = 0) {
  ++g_live;
  return new FakeObject{VtableOf(kind), 1, script, kind, instance, position};
}

const IID& IidOf(Kind kind) {
  switch (kind) {
    case Kind::kLocator: return kIidLocator;
    case Kind::kServices: return kIidServices;
    case Kind::kObjectSet: return kIidObjectSet;
    case Kind::kInstanceEnum:
    case Kind::kPropertyEnum: return kIidEnumVariant;
    case Kind::kObject: return kIidObject;
    case Kind::kPropertySet: return kIidPropertySet;
    case Kind::kProperty: return kIidProperty;
  }
  return kIidUnknown;
}

std::string Utf8(BSTR b) {
  if (b == nullptr) return "<null>";
  return syscode::ToUtf8(syscode::FromWide(b, SysStringLen(b)));
}

// True when `call` is scripted to fail; its HRESULT goes to *hr and its
// description (if any) to the thread's error information.
bool Fails(FakeObject* self, const char* call, HRESULT* hr) {
  auto it = self->script->failures.find(call);
  if (it == self->script->failures.end() || it->second.hr == 0) return false;
  *hr = it->second.hr;
  IErrorInfo* info = nullptr;
  if (!it->second.description.empty()) {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      Text text = it->second.description;  // SetDescription takes a writable string
      create->lpVtbl->SetDescription(create, syscode::Wide(text.data()));
      create->lpVtbl->QueryInterface(create, IID_IErrorInfo, reinterpret_cast<void**>(&info));
      create->lpVtbl->Release(create);
    }
  }
  SetErrorInfo(0, info);
  if (info != nullptr) info->lpVtbl->Release(info);
  return true;
}

// IUnknown and IDispatch, the same for every kind.
template <typename I>
HRESULT STDMETHODCALLTYPE QueryInterfaceOf(I* p, REFIID iid, void** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  const bool wanted =
      IsEqualIID(iid, kIidUnknown) || IsEqualIID(iid, IidOf(self->kind)) ||
      (IsEqualIID(iid, kIidDispatch) && self->kind != Kind::kInstanceEnum && self->kind != Kind::kPropertyEnum);
  if (!wanted ||
      (self->kind == Kind::kLocator && !self->script->locator_offers_interface && !IsEqualIID(iid, kIidUnknown))) {
    return E_NOINTERFACE;
  }
  ++self->refs;
  *out = self;
  return S_OK;
}
template <typename I>
ULONG STDMETHODCALLTYPE AddRefOf(I* p) {
  return static_cast<ULONG>(++Self(p)->refs);
}
template <typename I>
ULONG STDMETHODCALLTYPE ReleaseOf(I* p) {
  FakeObject* self = Self(p);
  const LONG left = --self->refs;
  if (left == 0) {
    --g_live;
    delete self;
  }
  return static_cast<ULONG>(left);
}
template <typename I>
HRESULT STDMETHODCALLTYPE TypeInfoCountOf(I*, UINT* count) {
  *count = 0;
  return S_OK;
}
template <typename I>
HRESULT STDMETHODCALLTYPE TypeInfoOf(I*, UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}
template <typename I>
HRESULT STDMETHODCALLTYPE IdsOfNamesOf(I*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
template <typename I>
HRESULT STDMETHODCALLTYPE InvokeOf(I*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

// The vtables name only the methods the fakes serve; every other slot is
// left empty on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#define FAKE_DISPATCH(I)                                                                                  \
  .QueryInterface = QueryInterfaceOf<I>, .AddRef = AddRefOf<I>, .Release = ReleaseOf<I>,                  \
  .GetTypeInfoCount = TypeInfoCountOf<I>, .GetTypeInfo = TypeInfoOf<I>, .GetIDsOfNames = IdsOfNamesOf<I>, \
  .Invoke = InvokeOf<I>

std::string SetText(IDispatch* named_values) { return named_values == nullptr ? "<none>" : "<set>"; }

// ISWbemLocator
HRESULT STDMETHODCALLTYPE ConnectServer(ISWbemLocator* p, BSTR server, BSTR name_space, BSTR user, BSTR password,
                                        BSTR locale, BSTR authority, LONG flags, IDispatch* named_values,
                                        ISWbemServices** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  self->script->calls.push_back("ConnectServer(" + Utf8(server) + "," + Utf8(name_space) + "," + Utf8(user) + "," +
                                Utf8(password) + "," + Utf8(locale) + "," + Utf8(authority) + "," +
                                std::to_string(flags) + "," + SetText(named_values) + ")");
  HRESULT hr;
  if (Fails(self, "ConnectServer", &hr)) return hr;
  *out = reinterpret_cast<ISWbemServices*>(New(self->script, Kind::kServices));
  return S_OK;
}

// ISWbemServices
HRESULT STDMETHODCALLTYPE InstancesOf(ISWbemServices* p, BSTR class_name, LONG flags, IDispatch* named_values,
                                      ISWbemObjectSet** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  self->script->calls.push_back("InstancesOf(" + Utf8(class_name) + "," + std::to_string(flags) + "," +
                                SetText(named_values) + ")");
  HRESULT hr;
  if (Fails(self, "InstancesOf", &hr)) return hr;
  *out = reinterpret_cast<ISWbemObjectSet*>(New(self->script, Kind::kObjectSet));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE ExecQuery(ISWbemServices* p, BSTR query, BSTR language, LONG flags, IDispatch* named_values,
                                    ISWbemObjectSet** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  self->script->calls.push_back("ExecQuery(" + Utf8(query) + "," + Utf8(language) + "," + std::to_string(flags) + "," +
                                SetText(named_values) + ")");
  HRESULT hr;
  if (Fails(self, "ExecQuery", &hr)) return hr;
  *out = reinterpret_cast<ISWbemObjectSet*>(New(self->script, Kind::kObjectSet));
  return S_OK;
}

// The collections: ISWbemObjectSet and ISWbemPropertySet.
template <typename I>
HRESULT STDMETHODCALLTYPE NewEnumOf(I* p, IUnknown** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  HRESULT hr;
  if (Fails(self, "_NewEnum", &hr)) return hr;
  if (self->kind == Kind::kPropertySet && Fails(self, "PropertySet._NewEnum", &hr)) return hr;
  const Kind kind = self->kind == Kind::kObjectSet ? Kind::kInstanceEnum : Kind::kPropertyEnum;
  *out = reinterpret_cast<IUnknown*>(New(self->script, kind, self->instance));
  return S_OK;
}
template <typename I>
HRESULT STDMETHODCALLTYPE CountOf(I* p, LONG* count) {
  FakeObject* self = Self(p);
  HRESULT hr;
  if (Fails(self, "Count", &hr)) return hr;
  const FakeWbemScript& script = *self->script;
  if (self->kind == Kind::kObjectSet) {
    *count = script.count >= 0 ? script.count : static_cast<LONG>(script.instances.size());
  } else {
    *count = static_cast<LONG>(script.instances[self->instance].properties.size());
  }
  return S_OK;
}

// IEnumVARIANT over instances or over one instance's properties.
HRESULT STDMETHODCALLTYPE Next(IEnumVARIANT* p, ULONG wanted, VARIANT* items, ULONG* fetched) {
  FakeObject* self = Self(p);
  const FakeWbemScript& script = *self->script;
  const size_t total =
      self->kind == Kind::kInstanceEnum ? script.instances.size() : script.instances[self->instance].properties.size();
  ULONG got = 0;
  while (got < wanted && self->position < total) {
    FakeObject* item = self->kind == Kind::kInstanceEnum
                           ? New(self->script, Kind::kObject, self->position)
                           : New(self->script, Kind::kProperty, self->instance, self->position);
    ++self->position;
    VariantInit(&items[got]);
    V_VT(&items[got]) = VT_DISPATCH;
    V_DISPATCH(&items[got]) = reinterpret_cast<IDispatch*>(item);
    ++got;
  }
  if (fetched != nullptr) *fetched = got;
  return got == wanted ? S_OK : S_FALSE;
}
HRESULT STDMETHODCALLTYPE Skip(IEnumVARIANT*, ULONG) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE Reset(IEnumVARIANT* p) {
  Self(p)->position = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT*, IEnumVARIANT** out) {
  *out = nullptr;
  return E_NOTIMPL;
}

// ISWbemObject
HRESULT STDMETHODCALLTYPE PropertiesOf(ISWbemObject* p, ISWbemPropertySet** out) {
  FakeObject* self = Self(p);
  *out = nullptr;
  HRESULT hr;
  if (Fails(self, "Properties_", &hr)) return hr;
  *out = reinterpret_cast<ISWbemPropertySet*>(New(self->script, Kind::kPropertySet, self->instance));
  return S_OK;
}

// ISWbemProperty
const FakeProperty& PropertyOf(FakeObject* self) {
  return self->script->instances[self->instance].properties[self->position];
}
HRESULT STDMETHODCALLTYPE ValueOf(ISWbemProperty* p, VARIANT* value) {
  FakeObject* self = Self(p);
  HRESULT hr;
  if (Fails(self, "Value", &hr)) return hr;
  return ToComVariantForFake(PropertyOf(self).value, value);
}
HRESULT STDMETHODCALLTYPE NameOf(ISWbemProperty* p, BSTR* name) {
  FakeObject* self = Self(p);
  *name = nullptr;
  HRESULT hr;
  if (Fails(self, "Name", &hr)) return hr;
  const Text& text = PropertyOf(self).name;
  *name = SysAllocStringLen(syscode::Wide(text), static_cast<UINT>(text.size()));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE CimTypeOf(ISWbemProperty* p, WbemCimtypeEnum* type) {
  FakeObject* self = Self(p);
  HRESULT hr;
  if (Fails(self, "CIMType", &hr)) return hr;
  *type = static_cast<WbemCimtypeEnum>(PropertyOf(self).cim_type);
  return S_OK;
}

const ISWbemLocatorVtbl kLocatorVtbl = {FAKE_DISPATCH(ISWbemLocator), .ConnectServer = ConnectServer};
const ISWbemServicesVtbl kServicesVtbl = {FAKE_DISPATCH(ISWbemServices), .InstancesOf = InstancesOf,
                                          .ExecQuery = ExecQuery};
const ISWbemObjectSetVtbl kObjectSetVtbl = {FAKE_DISPATCH(ISWbemObjectSet), .get__NewEnum = NewEnumOf<ISWbemObjectSet>,
                                            .get_Count = CountOf<ISWbemObjectSet>};
const IEnumVARIANTVtbl kEnumVtbl = {.QueryInterface = QueryInterfaceOf<IEnumVARIANT>,
                                    .AddRef = AddRefOf<IEnumVARIANT>,
                                    .Release = ReleaseOf<IEnumVARIANT>,
                                    .Next = Next,
                                    .Skip = Skip,
                                    .Reset = Reset,
                                    .Clone = Clone};
const ISWbemObjectVtbl kObjectVtbl = {FAKE_DISPATCH(ISWbemObject), .get_Properties_ = PropertiesOf};
const ISWbemPropertySetVtbl kPropertySetVtbl = {FAKE_DISPATCH(ISWbemPropertySet),
                                                .get__NewEnum = NewEnumOf<ISWbemPropertySet>,
                                                .get_Count = CountOf<ISWbemPropertySet>};
const ISWbemPropertyVtbl kPropertyVtbl = {FAKE_DISPATCH(ISWbemProperty), .get_Value = ValueOf, .get_Name = NameOf,
                                          .get_CIMType = CimTypeOf};

const void* VtableOf(Kind kind) {
  switch (kind) {
    case Kind::kLocator: return &kLocatorVtbl;
    case Kind::kServices: return &kServicesVtbl;
    case Kind::kObjectSet: return &kObjectSetVtbl;
    case Kind::kInstanceEnum:
    case Kind::kPropertyEnum: return &kEnumVtbl;
    case Kind::kObject: return &kObjectVtbl;
    case Kind::kPropertySet: return &kPropertySetVtbl;
    case Kind::kProperty: return &kPropertyVtbl;
  }
  return nullptr;
}

}  // namespace

RunningFakeLocator::RunningFakeLocator(FakeWbemScript& script) {
  FakeObject* locator = New(&script, Kind::kLocator);
  locator_ = locator;
  DWORD cookie = 0;
  registration_ =
      RegisterActiveObject(reinterpret_cast<IUnknown*>(locator), kClsidLocator, ACTIVEOBJECT_STRONG, &cookie);
  cookie_ = cookie;
}

RunningFakeLocator::~RunningFakeLocator() {
  if (registration_ >= 0) RevokeActiveObject(cookie_, nullptr);
  ReleaseOf(reinterpret_cast<IUnknown*>(locator_));
}

int LiveFakeObjects() { return g_live; }

}  // namespace fakes
