#pragma once

#include "base/text.h"

namespace syscode {

// The decimal separator of the user's regional settings ("." or "," ...).
Text UserDecimalSeparator();

}  // namespace syscode
