/*
 * Stand-in for Wine's include/wine/debug.h, for building dlls/wbemdisp as a
 * native PE DLL with mingw-w64 outside Wine's build tree.
 *
 * The macros keep Wine's meaning: TRACE, WARN, FIXME and ERR go to Wine's
 * debug output, filtered by WINEDEBUG (+wbemdisp, +timestamp, ...), in
 * Wine's own line format. The four ntdll functions that Wine's header calls
 * (__wine_dbg_get_channel_flags, __wine_dbg_header, __wine_dbg_output,
 * __wine_dbg_strdup) have no import library in mingw-w64, so dll_entry.c
 * looks them up in ntdll at run time; on Windows, where ntdll has none of
 * them, every trace is off.
 */
#ifndef SYSCODE_WINE_DEBUG_STANDIN_H
#define SYSCODE_WINE_DEBUG_STANDIN_H

#include <stdarg.h>
#include <stdio.h>
#include <windef.h>
#include <guiddef.h>
#include <oleauto.h>

#ifndef DECLSPEC_HIDDEN
#define DECLSPEC_HIDDEN
#endif
#ifndef ARRAY_SIZE
#define ARRAY_SIZE(a) (sizeof(a) / sizeof((a)[0]))
#endif

enum __wine_debug_class
{
    __WINE_DBCL_FIXME,
    __WINE_DBCL_ERR,
    __WINE_DBCL_WARN,
    __WINE_DBCL_TRACE,
};

struct __wine_debug_channel
{
    unsigned char flags;
    char name[15];
};

/* dll_entry.c */
unsigned char wbemdisp_dbg_channel_flags( struct __wine_debug_channel *channel ) DECLSPEC_HIDDEN;
int wbemdisp_dbg_log( enum __wine_debug_class cls, struct __wine_debug_channel *channel,
                      const char *function, const char *format, ... ) DECLSPEC_HIDDEN;
const char *wbemdisp_dbg_strdup( const char *str ) DECLSPEC_HIDDEN;

#define WINE_DEFAULT_DEBUG_CHANNEL(ch) \
    static struct __wine_debug_channel __wine_dbch_##ch = { 0xff, #ch }; \
    static struct __wine_debug_channel * const __wine_dbch___default = &__wine_dbch_##ch

#define __WINE_DPRINTF(cls, ...) \
    do { \
        if (wbemdisp_dbg_channel_flags( __wine_dbch___default ) & (1 << __WINE_DBCL_##cls)) \
            wbemdisp_dbg_log( __WINE_DBCL_##cls, __wine_dbch___default, __func__, __VA_ARGS__ ); \
    } while (0)

#define TRACE(...) __WINE_DPRINTF(TRACE, __VA_ARGS__)
#define WARN(...)  __WINE_DPRINTF(WARN, __VA_ARGS__)
#define FIXME(...) __WINE_DPRINTF(FIXME, __VA_ARGS__)
#define ERR(...)   __WINE_DPRINTF(ERR, __VA_ARGS__)
#define TRACE_ON(ch) (wbemdisp_dbg_channel_flags( &__wine_dbch_##ch ) & (1 << __WINE_DBCL_TRACE))

static inline const char *debugstr_wn( const WCHAR *str, int n )
{
    char buffer[300], *p = buffer;
    int i;

    if (!str) return "(null)";
    if (!HIWORD( str )) return wbemdisp_dbg_strdup( "#ordinal" );
    *p++ = 'L';
    *p++ = '"';
    for (i = 0; (n < 0 ? str[i] != 0 : i < n) && p < buffer + sizeof(buffer) - 12; i++)
    {
        WCHAR c = str[i];
        if (c == '"' || c == '\\') { *p++ = '\\'; *p++ = (char)c; }
        else if (c >= ' ' && c < 127) *p++ = (char)c;
        else p += sprintf( p, "\\x%04x", c );
    }
    if (n < 0 ? str[i] != 0 : i < n) { *p++ = '.'; *p++ = '.'; *p++ = '.'; }
    *p++ = '"';
    *p = 0;
    return wbemdisp_dbg_strdup( buffer );
}

static inline const char *debugstr_w( const WCHAR *str ) { return debugstr_wn( str, -1 ); }

static inline const char *debugstr_guid( const GUID *id )
{
    char buffer[64];
    if (!id) return "(null)";
    sprintf( buffer, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", (unsigned long)id->Data1,
             id->Data2, id->Data3, id->Data4[0], id->Data4[1], id->Data4[2], id->Data4[3],
             id->Data4[4], id->Data4[5], id->Data4[6], id->Data4[7] );
    return wbemdisp_dbg_strdup( buffer );
}

static inline const char *debugstr_variant( const VARIANT *v )
{
    char buffer[64];
    if (!v) return "(null)";
    if (V_VT( v ) == VT_BSTR) return debugstr_w( V_BSTR( v ) );
    sprintf( buffer, "{vt %d}", V_VT( v ) );
    return wbemdisp_dbg_strdup( buffer );
}

#endif
