// Windows: the program reads every source as an ordinary user, so no source
// is ever kept from it for lack of rights (syscode/source_access.h).
#include "syscode/source_access.h"

namespace syscode {

std::vector<SourceAccess> UnreadableSources() { return {}; }

}  // namespace syscode
