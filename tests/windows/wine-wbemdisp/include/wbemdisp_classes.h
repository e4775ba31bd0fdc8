/*
 * Stand-in for the header that widl makes from dlls/wbemdisp/wbemdisp_classes.idl
 * in Wine's build: the one class that idl declares and mingw-w64's wbemdisp.h
 * does not. The GUID is defined where initguid.h is in force (locator.c).
 */
#include <guiddef.h>

DEFINE_GUID(CLSID_WinMGMTS, 0x172bddf8, 0xceea, 0x11d1, 0x8b, 0x05, 0x00, 0x60, 0x08, 0x06, 0xd9, 0xb6);
