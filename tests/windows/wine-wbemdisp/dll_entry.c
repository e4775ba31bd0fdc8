/*
 * What Wine's build generates for wbemdisp.dll and a PE build with plain
 * mingw-w64 has to supply itself:
 *
 * - the entry points that winebuild adds from the DLL's export file
 *   (DllCanUnloadNow, DllRegisterServer, DllUnregisterServer);
 * - the debug output behind the wine/debug.h stand-in.
 *
 * The registration the prefix holds is that of Wine's builtin wbemdisp.dll
 * (made by wineboot from the same WINE_REGISTRY resources this DLL carries),
 * so DllRegisterServer and DllUnregisterServer have nothing to do.
 */
#include <stdarg.h>
#include <stdio.h>
#include <windows.h>

#include "wine/debug.h"

/* Declared by mingw-w64's wmiutils.h without their values (Wine's
 * include/wmiutils.idl has them); main.c parses winmgmts: paths with them. */
const IID IID_IWbemPath = { 0x3bc15af2, 0x736c, 0x477e, { 0x9e, 0x51, 0x23, 0x8a, 0xf8, 0x66, 0x7d, 0xcc } };
const CLSID CLSID_WbemDefPath = { 0xcf4cc405, 0xe2c5, 0x4ddd, { 0xb3, 0xce, 0x5e, 0x75, 0x82, 0xd8, 0xc9, 0xfa } };

HRESULT WINAPI DllCanUnloadNow( void )
{
    return S_FALSE;
}

HRESULT WINAPI DllRegisterServer( void )
{
    return S_OK;
}

HRESULT WINAPI DllUnregisterServer( void )
{
    return S_OK;
}

/* Wine's own debug functions, found in ntdll at run time (Windows has none). */
static unsigned char (__cdecl *p__wine_dbg_get_channel_flags)( struct __wine_debug_channel * );
static int (__cdecl *p__wine_dbg_header)( enum __wine_debug_class, struct __wine_debug_channel *, const char * );
static int (__cdecl *p__wine_dbg_output)( const char * );
static const char * (__cdecl *p__wine_dbg_strdup)( const char * );
static INIT_ONCE debug_init_once = INIT_ONCE_STATIC_INIT;

static BOOL CALLBACK debug_init( INIT_ONCE *once, void *param, void **context )
{
    HMODULE ntdll = GetModuleHandleW( L"ntdll.dll" );
    FARPROC flags = GetProcAddress( ntdll, "__wine_dbg_get_channel_flags" );
    FARPROC header = GetProcAddress( ntdll, "__wine_dbg_header" );
    FARPROC output = GetProcAddress( ntdll, "__wine_dbg_output" );
    FARPROC dup = GetProcAddress( ntdll, "__wine_dbg_strdup" );

    if (flags && header && output && dup)
    {
        p__wine_dbg_get_channel_flags = (void *)flags;
        p__wine_dbg_header = (void *)header;
        p__wine_dbg_output = (void *)output;
        p__wine_dbg_strdup = (void *)dup;
    }
    return TRUE;
}

unsigned char wbemdisp_dbg_channel_flags( struct __wine_debug_channel *channel )
{
    InitOnceExecuteOnce( &debug_init_once, debug_init, NULL, NULL );
    if (!p__wine_dbg_get_channel_flags) return 0;
    return p__wine_dbg_get_channel_flags( channel );
}

int wbemdisp_dbg_log( enum __wine_debug_class cls, struct __wine_debug_channel *channel,
                      const char *function, const char *format, ... )
{
    char buffer[1024];
    va_list args;

    if (!p__wine_dbg_header || p__wine_dbg_header( cls, channel, function ) == -1) return -1;
    va_start( args, format );
    vsnprintf( buffer, sizeof(buffer), format, args );
    va_end( args );
    buffer[sizeof(buffer) - 1] = 0;
    return p__wine_dbg_output( buffer );
}

const char *wbemdisp_dbg_strdup( const char *str )
{
    return p__wine_dbg_strdup ? p__wine_dbg_strdup( str ) : "";
}
