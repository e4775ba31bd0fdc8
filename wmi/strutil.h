// The result table of a WMI query and the message of a caught failure.
#pragma once

#include <exception>
#include <vector>

#include "base/text.h"

namespace wmi {

using syscode::Text;

// Rows of text cells; row 0 is the header ("Instance", then the property
// names), row r holds instance r (its number, then the value texts).
using T2DimStrArray = std::vector<std::vector<Text>>;

// The message of a caught failure, cut at its first NUL character and
// trimmed (characters of code 32 or below removed at both ends). Empty when
// the failure carries no message (or `failure` is null).
Text ExceptionText(const std::exception_ptr& failure);

}  // namespace wmi
