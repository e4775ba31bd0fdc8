#pragma once

#include <locale.h>

#include <string>

#include "base/text.h"

namespace syscode {

// The Windows error code for an errno value (the table in files_posix.cc).
int WindowsErrorFromErrno(int errno_value);

// The text in the character set of the process's locale; "?" for what it
// cannot hold.
std::string ToLocaleCharset(const Text& text);

// The user's locale for the categories of `mask`, read from the environment
// without changing the process's own locale; freed when it goes out of
// scope. get() is null when the environment names no usable locale.
class ScopedLocale {
 public:
  explicit ScopedLocale(int mask) : locale_(::newlocale(mask, "", static_cast<locale_t>(nullptr))) {}
  ~ScopedLocale() {
    if (locale_ != nullptr) ::freelocale(locale_);
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

}  // namespace syscode
