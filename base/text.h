// Text in memory is UTF-16: one code unit is one character. Conversions to
// bytes happen only at the edges (files, console, toolkits).
#pragma once

#include <string>
#include <string_view>

namespace syscode {

using Text = std::u16string;
using TextView = std::u16string_view;

// Removes every leading and trailing character whose code is 32 or below.
Text Trim(TextView text);

// Removes trailing characters whose code is 32 or below, and trailing periods.
Text TrimTrailingBlanksAndPeriods(TextView text);

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes become U+FFFD; unpaired surrogates
// become U+FFFD in UTF-8 output.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view bytes);

// Bytes taken one by one as code units 0-255 (ISO 8859-1). Used where only
// the ASCII characters matter and every other byte must stay non-ASCII.
Text FromLatin1(std::string_view bytes);

// Decimal text of a signed or unsigned integer, no sign for non-negatives.
Text DecimalText(long long value);
Text DecimalText(unsigned long long value);

}  // namespace syscode
