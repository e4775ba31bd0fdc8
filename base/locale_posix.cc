#include <langinfo.h>
#include <locale.h>

#include "base/files_posix.h"
#include "base/locale.h"

namespace syscode {

Text UserDecimalSeparator() {
  // The numeric conventions of the user's environment (LC_NUMERIC, LANG),
  // read without changing the process's own locale.
  Text separator = u".";
  if (const ScopedLocale loc(LC_NUMERIC_MASK); loc.get() != nullptr) {
    const char* radix = ::nl_langinfo_l(RADIXCHAR, loc.get());
    if (radix != nullptr && *radix != '\0') separator = FromUtf8(radix);
  }
  return separator;
}

}  // namespace syscode
