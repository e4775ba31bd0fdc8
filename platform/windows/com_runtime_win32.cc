// The COM runtime seam on Windows: ole32 and oleaut32 for real.
#include <windows.h>
#include <oleauto.h>

#include "wmi/win32/wbem_com.h"
#include "base/wide_text.h"
#include "wmi/com_runtime.h"

namespace wmi {

namespace {

using syscode::FromWide;
using wmi::win32::Bstr;
using wmi::win32::ComPtr;
using wmi::win32::ToGuid;
using wmi::win32::WrapInterface;

class Win32ComRuntime : public ComRuntime {
 public:
  HRESULT GetActiveObject(const Guid& clsid, std::shared_ptr<IUnknownObject>* object) override {
    object->reset();
    const CLSID id = ToGuid(clsid);
    ComPtr<IUnknown> result;
    HRESULT hr = ::GetActiveObject(id, nullptr, result.Receive());
    if (SUCCEEDED(hr)) *object = WrapInterface(kIID_IUnknown, std::move(result));
    return hr;
  }

  HRESULT CoCreateInstance(const Guid& clsid, std::uint32_t class_context, const Guid& iid,
                           std::shared_ptr<IUnknownObject>* object) override {
    object->reset();
    const CLSID id = ToGuid(clsid);
    const IID interface_id = ToGuid(iid);
    ComPtr<IUnknown> result;
    HRESULT hr =
        ::CoCreateInstance(id, nullptr, class_context, interface_id, reinterpret_cast<void**>(result.Receive()));
    if (SUCCEEDED(hr)) *object = WrapInterface(iid, std::move(result));
    return hr;
  }

  Text TakeErrorDescription() override {
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.Receive()) != S_OK || !info) return Text();
    Bstr description;
    if (FAILED(info->GetDescription(description.Receive()))) return Text();
    return description.ToText();
  }

  Text SystemMessage(HRESULT hr) override {
    wchar_t buffer[256];
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          static_cast<DWORD>(hr), 0, buffer, 256, nullptr);
    return FromWide(buffer, length);
  }
};

}  // namespace

ComRuntime& PlatformComRuntime() {
  static Win32ComRuntime runtime;
  return runtime;
}

}  // namespace wmi
