#include <langinfo.h>
#include <locale.h>

#include "syscode/locale.h"

namespace syscode {

Text UserDecimalSeparator() {
  // The numeric conventions of the user's environment (LC_NUMERIC, LANG),
  // read without changing the process's own locale.
  Text separator = u".";
  if (locale_t loc = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
    const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
    if (radix != nullptr && *radix != '\0') separator = FromUtf8(radix);
    ::freelocale(loc);
  }
  return separator;
}

}  // namespace syscode
