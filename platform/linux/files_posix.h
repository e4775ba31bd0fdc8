#pragma once

#include <string>

#include "syscode/text.h"

namespace syscode {

// The Windows error code for an errno value (the table in files_posix.cc).
int WindowsErrorFromErrno(int errno_value);

// The text in the character set of the process's locale; "?" for what it
// cannot hold.
std::string ToLocaleCharset(const Text& text);

}  // namespace syscode
