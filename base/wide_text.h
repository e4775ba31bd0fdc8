// Text to and from the wide strings of Win32 calls. On Windows wchar_t is
// UTF-16 like Text's char16_t, so both directions copy the code units.
#pragma once

#include <cstddef>
#include <string>

#include "base/text.h"

namespace syscode {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16 where this header is used");

// Text of a wide string of `length` characters; empty text for null.
inline Text FromWide(const wchar_t* text, std::size_t length) {
  if (text == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

// The text as a NUL-terminated wide string.
inline std::wstring ToWide(const Text& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace syscode
