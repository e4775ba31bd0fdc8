#include "platform/windows/dll_search.h"

#include <windows.h>

namespace syscode::win {

bool LoadDllsFromSystem32Only() { return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE; }

}  // namespace syscode::win
