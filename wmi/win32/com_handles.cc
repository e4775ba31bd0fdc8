#include "wmi/win32/com_handles.h"

#include <cstring>

namespace wmi::win32 {

Bstr::Bstr(const Text& text) {
  if (text.empty()) return;  // a null BSTR stands for empty text
  b_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

Text Bstr::ToText() const { return FromWide(b_, b_ == nullptr ? 0 : SysStringLen(b_)); }

GUID ToGuid(const wmi::Guid& guid) {
  GUID out;
  out.Data1 = guid.data1;
  out.Data2 = guid.data2;
  out.Data3 = guid.data3;
  std::memcpy(out.Data4, guid.data4, sizeof out.Data4);
  return out;
}

}  // namespace wmi::win32
