// Where the loader looks for DLLs that are loaded by name.
#pragma once

namespace syscode {

#ifdef _WIN32
// From this call on, a DLL loaded by name (by the program, or later by a
// system DLL on its behalf) is taken from System32 only, never from the
// program's folder or the working directory, where a planted DLL of the
// same name would run with the user's rights. Called first thing in every
// program. Returns false when the system refused (the search order then
// stays the default one).
bool LoadDllsFromSystem32Only();
#else
// Other systems have no such search order to restrict.
inline bool LoadDllsFromSystem32Only() { return true; }
#endif

}  // namespace syscode
