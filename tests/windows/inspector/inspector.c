/* clang-format off */
/* This program keeps the style of the Wine sources it is read beside
 * (four-blank indent, spaces inside call parentheses). */
/*
 * syscode_inspector: reads another program's windows the way a Windows test
 * tool does, from outside, through window messages and GDI, and prints what
 * it finds, one line per window, for the end-to-end scripts to compare with
 * exact values.
 *
 *   inspector.exe dump CLASS [CAPTION]
 *       the visible top-level window of that class (and caption, when
 *       given), then every descendant in Z order, depth first:
 *         window hwnd=H class=C id=N text=T rect=X,Y,W,H client=W,H
 *                style=0x... exstyle=0x... enabled=0|1 visible=0|1
 *                font=FACE/HEIGHT/WEIGHT/CHARSET icon=KIND items=A|B|C selected=N
 *                owner=H depth=D
 *       rect: a top-level window's outer rectangle on the screen; a child's
 *       rectangle in its parent's client area. font: the WM_GETFONT font
 *       (none when the control has none). icon: for a static with SS_ICON,
 *       which system icon its pixels show (error, warning, information,
 *       question, or unknown). items/selected: a combo box's list.
 *       Texts are UTF-8, with \ | and line breaks written \\ \| \n.
 *   inspector.exe owned CLASS CAPTION
 *       like dump, for the visible window of that class and caption that is
 *       owned by another window (the prompts and boxes a dialog raises)
 *   inspector.exe screen
 *       screen=X,Y,W,H (the desktop over all monitors) dpi=N
 *   inspector.exe textheight FACE HEIGHT [CHARSET]
 *       the height of "0" in the font FACE of character height HEIGHT
 *
 * Exit code 0, or 1 when no such window is there.
 */
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void put_text( const WCHAR *text )
{
    char utf8[4096];
    int n = WideCharToMultiByte( CP_UTF8, 0, text, -1, utf8, sizeof(utf8), NULL, NULL ), i;

    for (i = 0; i < n - 1; i++)
    {
        switch (utf8[i])
        {
        case '\\': fputs( "\\\\", stdout ); break;
        case '|': fputs( "\\|", stdout ); break;
        case '\n': fputs( "\\n", stdout ); break;
        case '\r': fputs( "\\r", stdout ); break;
        default: putchar( utf8[i] ); break;
        }
    }
}

/* The pixels of a window's area on the screen, 32 bits each, top-down. */
static DWORD *capture( HWND hwnd, int *width, int *height )
{
    RECT r;
    HDC screen, memory;
    HBITMAP bitmap;
    BITMAPINFO info;
    DWORD *pixels;

    GetWindowRect( hwnd, &r );
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    if (*width <= 0 || *height <= 0) return NULL;
    screen = GetDC( NULL );
    memory = CreateCompatibleDC( screen );
    bitmap = CreateCompatibleBitmap( screen, *width, *height );
    SelectObject( memory, bitmap );
    BitBlt( memory, 0, 0, *width, *height, screen, r.left, r.top, SRCCOPY );
    memset( &info, 0, sizeof(info) );
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels = malloc( (size_t)*width * *height * 4 );
    GetDIBits( memory, bitmap, 0, *height, pixels, &info, DIB_RGB_COLORS );
    DeleteDC( memory );
    DeleteObject( bitmap );
    ReleaseDC( NULL, screen );
    return pixels;
}

/* Does the icon, drawn at its own size, show in the window's pixels at the
 * top-left corner? Compared where the icon is opaque. */
static BOOL shows_icon( const DWORD *pixels, int width, int height, HICON icon )
{
    ICONINFO ii;
    BITMAP bm;
    BITMAPINFO info;
    DWORD *color;
    HDC dc;
    int x, y, opaque = 0, same = 0;

    if (!GetIconInfo( icon, &ii )) return FALSE;
    if (!ii.hbmColor || !GetObjectW( ii.hbmColor, sizeof(bm), &bm ) || bm.bmWidth > width || bm.bmHeight > height)
    {
        DeleteObject( ii.hbmColor );
        DeleteObject( ii.hbmMask );
        return FALSE;
    }
    memset( &info, 0, sizeof(info) );
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    color = calloc( (size_t)bm.bmWidth * bm.bmHeight, 4 );
    dc = GetDC( NULL );
    GetDIBits( dc, ii.hbmColor, 0, bm.bmHeight, color, &info, DIB_RGB_COLORS );
    ReleaseDC( NULL, dc );
    for (y = 0; y < bm.bmHeight; y++)
        for (x = 0; x < bm.bmWidth; x++)
        {
            DWORD c = color[y * bm.bmWidth + x];
            if ((c >> 24) != 0xff) continue;
            opaque++;
            if ((pixels[y * width + x] & 0xffffff) == (c & 0xffffff)) same++;
        }
    free( color );
    DeleteObject( ii.hbmColor );
    DeleteObject( ii.hbmMask );
    return opaque > 0 && same == opaque;
}

static const char *icon_kind( HWND hwnd )
{
    static const struct { const WCHAR *id; const char *name; } icons[] =
    {
        { IDI_ERROR, "error" }, { IDI_WARNING, "warning" }, { IDI_INFORMATION, "information" },
        { IDI_QUESTION, "question" },
    };
    const char *kind = "unknown";
    int width, height;
    unsigned i;
    DWORD *pixels = capture( hwnd, &width, &height );

    if (!pixels) return kind;
    for (i = 0; i < ARRAYSIZE(icons); i++)
    {
        if (shows_icon( pixels, width, height, LoadIconW( NULL, icons[i].id ) ))
        {
            kind = icons[i].name;
            break;
        }
    }
    free( pixels );
    return kind;
}

static void put_window( HWND hwnd, int depth )
{
    WCHAR class_name[256], text[2048];
    RECT r, client;
    LONG style = GetWindowLongW( hwnd, GWL_STYLE ), exstyle = GetWindowLongW( hwnd, GWL_EXSTYLE );
    HFONT font = (HFONT)SendMessageW( hwnd, WM_GETFONT, 0, 0 );
    HWND parent = GetParent( hwnd );
    LOGFONTW lf;

    GetClassNameW( hwnd, class_name, ARRAYSIZE(class_name) );
    text[0] = 0;
    SendMessageTimeoutW( hwnd, WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL );
    GetWindowRect( hwnd, &r );
    if (style & WS_CHILD) MapWindowPoints( NULL, parent, (POINT *)&r, 2 );
    GetClientRect( hwnd, &client );

    printf( "window hwnd=%p class=", (void *)hwnd );
    put_text( class_name );
    printf( " id=%ld text=", (long)GetWindowLongPtrW( hwnd, GWLP_ID ) );
    put_text( text );
    printf( " rect=%ld,%ld,%ld,%ld client=%ld,%ld style=0x%08lx exstyle=0x%08lx enabled=%d visible=%d",
            r.left, r.top, r.right - r.left, r.bottom - r.top, client.right, client.bottom,
            (unsigned long)style, (unsigned long)exstyle, IsWindowEnabled( hwnd ) ? 1 : 0,
            IsWindowVisible( hwnd ) ? 1 : 0 );
    if (font && GetObjectW( font, sizeof(lf), &lf ))
    {
        fputs( " font=", stdout );
        put_text( lf.lfFaceName );
        printf( "/%ld/%ld/%d", lf.lfHeight, lf.lfWeight, lf.lfCharSet );
    }
    else if (font) printf( " font=<foreign %p>", (void *)font );
    if (!lstrcmpiW( class_name, L"Static" ) && (style & SS_TYPEMASK) == SS_ICON)
        printf( " icon=%s", icon_kind( hwnd ) );
    if (!lstrcmpiW( class_name, L"ComboBox" ))
    {
        LRESULT count = SendMessageW( hwnd, CB_GETCOUNT, 0, 0 ), i;
        fputs( " items=", stdout );
        for (i = 0; i < count; i++)
        {
            WCHAR item[512] = L"";
            if (SendMessageW( hwnd, CB_GETLBTEXTLEN, i, 0 ) < (LRESULT)ARRAYSIZE(item))
                SendMessageW( hwnd, CB_GETLBTEXT, i, (LPARAM)item );
            if (i) putchar( '|' );
            put_text( item );
        }
        printf( " selected=%ld", (long)SendMessageW( hwnd, CB_GETCURSEL, 0, 0 ) );
    }
    printf( " owner=%p depth=%d\n", (void *)GetWindow( hwnd, GW_OWNER ), depth );
}

static void put_tree( HWND hwnd, int depth )
{
    HWND child;

    put_window( hwnd, depth );
    for (child = GetWindow( hwnd, GW_CHILD ); child; child = GetWindow( child, GW_HWNDNEXT ))
        put_tree( child, depth + 1 );
}

struct search
{
    const WCHAR *class_name;
    const WCHAR *caption;
    BOOL owned;
    HWND found;
};

static BOOL CALLBACK find_window( HWND hwnd, LPARAM param )
{
    struct search *s = (struct search *)param;
    WCHAR class_name[256], text[1024];

    if (!IsWindowVisible( hwnd )) return TRUE;
    GetClassNameW( hwnd, class_name, ARRAYSIZE(class_name) );
    if (lstrcmpiW( class_name, s->class_name )) return TRUE;
    if (s->caption)
    {
        GetWindowTextW( hwnd, text, ARRAYSIZE(text) );
        if (lstrcmpW( text, s->caption )) return TRUE;
    }
    if (s->owned && !GetWindow( hwnd, GW_OWNER )) return TRUE;
    /* a prompt that a dialog raises is owned by the dialog, which is owned itself */
    if (s->owned && !GetWindow( GetWindow( hwnd, GW_OWNER ), GW_OWNER )) return TRUE;
    s->found = hwnd;
    return FALSE;
}

int wmain( int argc, WCHAR **argv )
{
    _setmode( _fileno( stdout ), _O_BINARY );
    SetProcessDPIAware();
    if (argc >= 2 && !wcscmp( argv[1], L"screen" ))
    {
        HDC dc = GetDC( NULL );
        printf( "screen=%d,%d,%d,%d dpi=%d\n", GetSystemMetrics( SM_XVIRTUALSCREEN ),
                GetSystemMetrics( SM_YVIRTUALSCREEN ), GetSystemMetrics( SM_CXVIRTUALSCREEN ),
                GetSystemMetrics( SM_CYVIRTUALSCREEN ), GetDeviceCaps( dc, LOGPIXELSY ) );
        ReleaseDC( NULL, dc );
        return 0;
    }
    if (argc >= 4 && !wcscmp( argv[1], L"textheight" ))
    {
        LOGFONTW lf = { 0 };
        HDC dc = GetDC( NULL );
        HFONT font, old;
        SIZE size = { 0 };

        lf.lfHeight = -_wtoi( argv[3] );
        lf.lfCharSet = argc >= 5 ? (BYTE)_wtoi( argv[4] ) : DEFAULT_CHARSET;
        lstrcpynW( lf.lfFaceName, argv[2], LF_FACESIZE );
        font = CreateFontIndirectW( &lf );
        old = SelectObject( dc, font );
        GetTextExtentPoint32W( dc, L"0", 1, &size );
        SelectObject( dc, old );
        DeleteObject( font );
        ReleaseDC( NULL, dc );
        printf( "%ld\n", size.cy );
        return 0;
    }
    if (argc >= 3 && (!wcscmp( argv[1], L"dump" ) || !wcscmp( argv[1], L"owned" )))
    {
        struct search s = { argv[2], argc >= 4 ? argv[3] : NULL, !wcscmp( argv[1], L"owned" ), NULL };
        EnumWindows( find_window, (LPARAM)&s );
        if (!s.found)
        {
            fputs( "no such window\n", stderr );
            return 1;
        }
        put_tree( s.found, 0 );
        return 0;
    }
    fputs( "usage: inspector.exe dump CLASS [CAPTION] | owned CLASS CAPTION | screen | "
           "textheight FACE HEIGHT [CHARSET]\n", stderr );
    return 2;
}
