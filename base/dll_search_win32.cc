#include "base/dll_search.h"

#include <windows.h>

namespace syscode {

bool LoadDllsFromSystem32Only() { return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE; }

}  // namespace syscode
