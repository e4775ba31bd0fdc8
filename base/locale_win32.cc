#include <windows.h>

#include "base/wide_text.h"
#include "base/locale.h"

namespace syscode {

Text UserDecimalSeparator() {
  // LOCALE_SDECIMAL is at most three characters and the terminating NUL.
  wchar_t buffer[16];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 16);
  if (length <= 1) return u".";
  return FromWide(buffer, static_cast<size_t>(length - 1));
}

}  // namespace syscode
