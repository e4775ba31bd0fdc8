/* clang-format off */
/* This program keeps the style of the Wine sources it is read beside
 * (four-blank indent, spaces inside call parentheses). */
/*
 * wmi_probe: an independent reader of the platform's WMI scripting objects,
 * written in C against wbemdisp.h and nothing of ours. For each class named
 * on the command line it walks what QueryWmiTable walks (SWbemLocator,
 * ConnectServer(".", "root\CIMV2"), InstancesOf(class, 17), the object set's
 * Count and _NewEnum, each object's Properties_, its Count and _NewEnum) and
 * prints what each property gives: its Name, its CIMType, and its Value as
 * the VARIANT's type and content. tests/windows/wmi_cells.pl compares that
 * with the cells of `syscode-cli --query CLASS --json`.
 *
 * Every object it obtains it releases, last references last: the final
 * Release of each must return 0 (the object is gone); the probe says how
 * many did and fails when one did not.
 *
 * Output (UTF-8, LF, fields separated by tabs; in texts \ tab CR LF are
 * written \\ \t \r \n):
 *   class NAME
 *   count N                       (the object set's Count)
 *   instance R P                  (R from 1; P: the property set's Count)
 *   property K NAME CIMTYPE VT VALUE...
 *       VT in decimal (VT_ARRAY | element type for arrays); VALUE: nothing
 *       for VT_NULL and VT_EMPTY, the decimal number, true/false, the text;
 *       for an array its element count and then one field per element
 *   error STEP HRESULT            (a call that failed; the class ends there)
 *   end NAME
 *   released N                    (final releases that returned 0)
 *   leaked N                      (final releases that did not: exit code 1)
 *
 * Usage: wmi_probe.exe CLASS...
 */
#define COBJMACROS
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wbemdisp.h>

static unsigned released_to_zero, leaked;

/* The last reference to an object: its Release must give 0. */
static void release_last( IUnknown *object )
{
    if (!object) return;
    if (IUnknown_Release( object ) == 0) released_to_zero++;
    else leaked++;
}

static void put_text( const WCHAR *text, UINT length )
{
    char *utf8;
    int size, i;

    if (!length) return;
    size = WideCharToMultiByte( CP_UTF8, 0, text, (int)length, NULL, 0, NULL, NULL );
    if (size <= 0) return;
    utf8 = malloc( size );
    if (!utf8) return;
    WideCharToMultiByte( CP_UTF8, 0, text, (int)length, utf8, size, NULL, NULL );
    for (i = 0; i < size; i++)
    {
        switch (utf8[i])
        {
        case '\\': fputs( "\\\\", stdout ); break;
        case '\t': fputs( "\\t", stdout ); break;
        case '\r': fputs( "\\r", stdout ); break;
        case '\n': fputs( "\\n", stdout ); break;
        default: putchar( utf8[i] ); break;
        }
    }
    free( utf8 );
}

/* One scalar of type vt at data, as text. */
static void put_scalar( VARTYPE vt, const void *data )
{
    switch (vt)
    {
    case VT_I1: printf( "%d", *(const signed char *)data ); break;
    case VT_UI1: printf( "%u", *(const unsigned char *)data ); break;
    case VT_I2: printf( "%d", *(const SHORT *)data ); break;
    case VT_UI2: printf( "%u", *(const USHORT *)data ); break;
    case VT_I4: case VT_INT: printf( "%ld", (long)*(const LONG *)data ); break;
    case VT_UI4: case VT_UINT: printf( "%lu", (unsigned long)*(const ULONG *)data ); break;
    case VT_I8: { char text[24]; fputs( _i64toa( *(const LONGLONG *)data, text, 10 ), stdout ); break; }
    case VT_UI8: { char text[24]; fputs( _ui64toa( *(const ULONGLONG *)data, text, 10 ), stdout ); break; }
    case VT_R4: printf( "%.17g", (double)*(const float *)data ); break;
    case VT_R8: printf( "%.17g", *(const double *)data ); break;
    case VT_BOOL: fputs( *(const VARIANT_BOOL *)data ? "true" : "false", stdout ); break;
    case VT_BSTR:
    {
        BSTR text = *(const BSTR *)data;
        put_text( text, SysStringLen( text ) );
        break;
    }
    case VT_DISPATCH: case VT_UNKNOWN: fputs( "<object>", stdout ); break;
    default: printf( "<vt %u>", vt ); break;
    }
}

static void put_value( const VARIANT *value )
{
    VARTYPE vt = V_VT( value );

    printf( "\t%u", vt );
    if (vt == VT_NULL || vt == VT_EMPTY) return;
    if (vt & VT_ARRAY)
    {
        SAFEARRAY *array = V_ARRAY( value );
        LONG low = 0, high = -1, i;
        void *data;

        if (array && SafeArrayGetDim( array ) == 1)
        {
            SafeArrayGetLBound( array, 1, &low );
            SafeArrayGetUBound( array, 1, &high );
        }
        printf( "\t%ld", (long)(high - low + 1) );
        if (high < low || FAILED( SafeArrayAccessData( array, &data ) )) return;
        for (i = 0; i <= high - low; i++)
        {
            putchar( '\t' );
            put_scalar( vt & VT_TYPEMASK, (const char *)data + (size_t)i * SafeArrayGetElemsize( array ) );
        }
        SafeArrayUnaccessData( array );
        return;
    }
    putchar( '\t' );
    put_scalar( vt, vt & VT_BYREF ? V_BYREF( value ) : (const void *)&V_I1( value ) );
}

static void fail( const char *step, HRESULT hr )
{
    printf( "error\t%s\t%08lX\n", step, (unsigned long)hr );
}

/* The properties of one instance; its property set is released here. */
static void probe_properties( ISWbemObject *object, LONG row )
{
    ISWbemPropertySet *set = NULL;
    IUnknown *unknown = NULL;
    IEnumVARIANT *properties = NULL;
    VARIANT item;
    LONG count = 0, k = 0;
    HRESULT hr;

    if (FAILED( hr = ISWbemObject_get_Properties_( object, &set ) )) { fail( "Properties_", hr ); return; }
    if (FAILED( hr = ISWbemPropertySet_get_Count( set, &count ) )) fail( "PropertySet.Count", hr );
    printf( "instance\t%ld\t%ld\n", (long)row, (long)count );
    if (FAILED( hr = ISWbemPropertySet_get__NewEnum( set, &unknown ) ))
    {
        fail( "PropertySet._NewEnum", hr );
        release_last( (IUnknown *)set );
        return;
    }
    hr = IUnknown_QueryInterface( unknown, &IID_IEnumVARIANT, (void **)&properties );
    IUnknown_Release( unknown );
    if (FAILED( hr )) { fail( "PropertySet._NewEnum IEnumVARIANT", hr ); release_last( (IUnknown *)set ); return; }

    VariantInit( &item );
    while (IEnumVARIANT_Next( properties, 1, &item, NULL ) == S_OK)
    {
        ISWbemProperty *property = NULL;
        WbemCimtypeEnum cim_type = 0;
        BSTR name = NULL;
        VARIANT value;

        k++;
        if (V_VT( &item ) != VT_DISPATCH ||
            FAILED( hr = IDispatch_QueryInterface( V_DISPATCH( &item ), &IID_ISWbemProperty, (void **)&property ) ))
        {
            fail( "property item", V_VT( &item ) == VT_DISPATCH ? hr : E_NOINTERFACE );
            VariantClear( &item );
            break;
        }
        VariantClear( &item );
        VariantInit( &value );
        printf( "property\t%ld\t", (long)k );
        if (SUCCEEDED( hr = ISWbemProperty_get_Name( property, &name ) )) put_text( name, SysStringLen( name ) );
        else printf( "<Name failed %08lX>", (unsigned long)hr );
        if (SUCCEEDED( hr = ISWbemProperty_get_CIMType( property, &cim_type ) )) printf( "\t%d", (int)cim_type );
        else printf( "\t<CIMType failed %08lX>", (unsigned long)hr );
        if (SUCCEEDED( hr = ISWbemProperty_get_Value( property, &value ) )) put_value( &value );
        else printf( "\t<Value failed %08lX>", (unsigned long)hr );
        putchar( '\n' );
        VariantClear( &value );
        SysFreeString( name );
        release_last( (IUnknown *)property );
    }
    release_last( (IUnknown *)properties );
    release_last( (IUnknown *)set );
}

static void probe_class( ISWbemServices *services, const WCHAR *class_name )
{
    ISWbemObjectSet *set = NULL;
    IUnknown *unknown = NULL;
    IEnumVARIANT *instances = NULL;
    VARIANT item;
    BSTR name = SysAllocString( class_name );
    LONG count = 0, row = 0;
    HRESULT hr;

    fputs( "class\t", stdout );
    put_text( class_name, lstrlenW( class_name ) );
    putchar( '\n' );
    hr = ISWbemServices_InstancesOf( services, name, wbemFlagReturnImmediately | wbemQueryFlagShallow, NULL, &set );
    SysFreeString( name );
    if (FAILED( hr )) { fail( "InstancesOf", hr ); goto done; }
    if (FAILED( hr = ISWbemObjectSet_get_Count( set, &count ) )) { fail( "Count", hr ); goto done; }
    printf( "count\t%ld\n", (long)count );
    if (FAILED( hr = ISWbemObjectSet_get__NewEnum( set, &unknown ) )) { fail( "_NewEnum", hr ); goto done; }
    hr = IUnknown_QueryInterface( unknown, &IID_IEnumVARIANT, (void **)&instances );
    IUnknown_Release( unknown );
    if (FAILED( hr )) { fail( "_NewEnum IEnumVARIANT", hr ); goto done; }

    VariantInit( &item );
    while (IEnumVARIANT_Next( instances, 1, &item, NULL ) == S_OK)
    {
        ISWbemObject *object = NULL;

        row++;
        if (V_VT( &item ) != VT_DISPATCH ||
            FAILED( hr = IDispatch_QueryInterface( V_DISPATCH( &item ), &IID_ISWbemObject, (void **)&object ) ))
        {
            fail( "instance item", V_VT( &item ) == VT_DISPATCH ? hr : E_NOINTERFACE );
            VariantClear( &item );
            break;
        }
        VariantClear( &item );
        probe_properties( object, row );
        release_last( (IUnknown *)object );
    }

done:
    release_last( (IUnknown *)instances );
    release_last( (IUnknown *)set );
    fputs( "end\t", stdout );
    put_text( class_name, lstrlenW( class_name ) );
    putchar( '\n' );
}

int wmain( int argc, WCHAR **argv )
{
    ISWbemLocator *locator = NULL;
    ISWbemServices *services = NULL;
    BSTR server, space;
    HRESULT hr;
    int i;

    _setmode( _fileno( stdout ), _O_BINARY );
    if (argc < 2)
    {
        fputs( "usage: wmi_probe CLASS...\n", stderr );
        return 2;
    }
    if (FAILED( hr = CoInitialize( NULL ) )) { fail( "CoInitialize", hr ); return 1; }
    hr = CoCreateInstance( &CLSID_SWbemLocator, NULL, CLSCTX_INPROC_SERVER, &IID_ISWbemLocator, (void **)&locator );
    if (FAILED( hr )) { fail( "CoCreateInstance", hr ); CoUninitialize(); return 1; }
    server = SysAllocString( L"." );
    space = SysAllocString( L"root\\CIMV2" );
    hr = ISWbemLocator_ConnectServer( locator, server, space, NULL, NULL, NULL, NULL, 0, NULL, &services );
    SysFreeString( server );
    SysFreeString( space );
    if (FAILED( hr )) fail( "ConnectServer", hr );
    else
    {
        for (i = 1; i < argc; i++) probe_class( services, argv[i] );
        release_last( (IUnknown *)services );
    }
    release_last( (IUnknown *)locator );
    printf( "released\t%u\nleaked\t%u\n", released_to_zero, leaked );
    fflush( stdout );
    CoUninitialize();
    return FAILED( hr ) || leaked ? 1 : 0;
}
