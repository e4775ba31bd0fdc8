#pragma once

#include "syscode/text.h"

namespace syscode {

// The decimal separator of the user's regional settings ("." or "," ...).
Text UserDecimalSeparator();

}  // namespace syscode
