// Text and the wide strings of the Win32 API. On Windows a wchar_t is a
// UTF-16 code unit, the same as Text's char16_t, so the conversions are
// views of the same characters, not copies. Every Win32 call site takes its
// strings through these.
#pragma once

#include <cstddef>

#include "base/text.h"

namespace syscode {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "a wide character is one UTF-16 code unit");

// The text as a NUL-terminated wide string; valid while `text` lives
// unchanged (a temporary lives to the end of the call it is passed to).
inline const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
// For calls that change the characters in place.
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

// Text of a wide string of `length` characters; a null pointer is empty text.
inline Text FromWide(const wchar_t* text, std::size_t length) {
  if (text == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(text), length);
}
// Text of a NUL-terminated wide string; a null pointer is empty text.
inline Text FromWide(const wchar_t* text) {
  if (text == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(text));
}

}  // namespace syscode
