/* The program's load configuration: DependentLoadFlags (the field mingw-w64's
   headers still call Reserved1) asks the loader to resolve the imports of
   the program and of every DLL it loads from the system folder only, so a
   DLL dropped next to a downloaded program is never loaded. The linker does
   not point the PE header at this record by itself; cmake/pe/set-load-config.sh
   does that after linking. */
#include <windows.h>

const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = {
    .Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
