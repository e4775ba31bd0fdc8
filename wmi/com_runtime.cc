#include "wmi/com_runtime.h"

#include <cstdio>

namespace wmi {

bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.data4[i] != b.data4[i]) return false;
  }
  return true;
}

Text GuidText(const Guid& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return syscode::FromUtf8(buf);
}

namespace {
thread_local Text g_error_info;
thread_local bool g_has_error_info = false;
}  // namespace

void SetThreadErrorInfo(const Text& description) {
  g_error_info = description;
  g_has_error_info = true;
}

Text TakeThreadErrorInfo() {
  Text out = g_has_error_info ? g_error_info : Text();
  ClearThreadErrorInfo();
  return out;
}

void ClearThreadErrorInfo() {
  g_error_info.clear();
  g_has_error_info = false;
}

}  // namespace wmi
