#pragma once

// The basic types of the component model: integers of the platform's widths,
// GUIDs, status codes, variants, dispatch arguments and exception information.
//
// Where the platform's own headers exist they are used. Elsewhere these
// headers declare the few types, status codes and interfaces used here, all in
// the namespace quilvet::com, so that nothing of it enters a host's global
// namespace. Strings are UTF-16 (OLECHAR is char16_t here); integers have the
// platform's widths (LONG and ULONG are 32 bits).

#include <quilvet/quilvet_export.h>

#include <cstdint>

#if defined(_WIN32)

// windows.h must come first.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>
// clang-format on

#define QUILVET_COMCALL STDMETHODCALLTYPE

namespace quilvet::com {
// The platform's own declarations, reachable under the library's namespace too.
using ::BSTR, ::CLSID, ::DISPID, ::DISPPARAMS, ::EXCEPINFO, ::GUID, ::HRESULT, ::IClassFactory,
    ::IConnectionPoint, ::IConnectionPointContainer, ::IDispatch, ::IID, ::IPersistPropertyBag,
    ::IPersistStreamInit, ::IStream, ::IPropertyBag, ::IPropertyNotifySink, ::ITypeInfo, ::ITypeLib,
    ::IUnknown, ::LCID, ::LONG, ::ULONG, ::VARIANT, ::VARIANT_BOOL, ::WORD;
} // namespace quilvet::com

#else

// Calling convention of interface methods: the platform's default here.
#define QUILVET_COMCALL

namespace quilvet::com {

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using BYTE = std::uint8_t;
using BOOL = std::int32_t;
using UINT = unsigned int;
using LCID = DWORD;
using DISPID = LONG;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR *;
using LPCOLESTR = const OLECHAR *;
using BSTR = OLECHAR *;

struct GUID
{
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID &;
using REFIID = const IID &;
using REFCLSID = const CLSID &;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}
constexpr bool operator==(REFGUID a, REFGUID b)
{
    return IsEqualGUID(a, b);
}

constexpr HRESULT hresultOf(std::uint32_t code)
{
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hresultOf(0x80004001);
constexpr HRESULT E_NOINTERFACE = hresultOf(0x80004002);
constexpr HRESULT E_POINTER = hresultOf(0x80004003);
constexpr HRESULT E_FAIL = hresultOf(0x80004005);
constexpr HRESULT E_UNEXPECTED = hresultOf(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = hresultOf(0x8007000E);
constexpr HRESULT E_INVALIDARG = hresultOf(0x80070057);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresultOf(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresultOf(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = hresultOf(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = hresultOf(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = hresultOf(0x80020006);
constexpr HRESULT DISP_E_BADVARTYPE = hresultOf(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = hresultOf(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = hresultOf(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = hresultOf(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hresultOf(0x8002000E);
constexpr HRESULT CLASS_E_NOAGGREGATION = hresultOf(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hresultOf(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = hresultOf(0x80040154);
constexpr HRESULT CONNECT_E_NOCONNECTION = hresultOf(0x80040200);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = hresultOf(0x80040202);
constexpr HRESULT SELFREG_E_TYPELIB = hresultOf(0x80040200);
constexpr HRESULT SELFREG_E_CLASS = hresultOf(0x80040201);
constexpr HRESULT CO_E_DLLNOTFOUND = hresultOf(0x800401F8);
constexpr HRESULT CO_E_ERRORINDLL = hresultOf(0x800401F9);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = hresultOf(0x8002802B);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = hresultOf(0x8002801D);
constexpr HRESULT STG_E_ACCESSDENIED = hresultOf(0x80030005);
constexpr HRESULT STG_E_WRITEFAULT = hresultOf(0x8003001D);
constexpr HRESULT STG_E_READFAULT = hresultOf(0x8003001E);

constexpr std::uint32_t SEVERITY_ERROR = 1;
constexpr std::uint32_t FACILITY_CONTROL = 10;
constexpr HRESULT MAKE_HRESULT(std::uint32_t severity, std::uint32_t facility, std::uint32_t code)
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_USERDEFINED = 29,
    VT_BYREF = 0x4000,
};

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IUnknown;
struct IDispatch;

using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DATE = double; // days since 30 December 1899, the fraction the time of day

// Currency: a 64-bit integer in ten-thousandths.
struct CY
{
    LONGLONG int64;
};

// A decimal number: a 96-bit integer (Hi32, then Lo64), a sign and a power of
// ten (scale, 0 to 28) that divides it. In a VARIANT it takes the whole
// 16 bytes, its first field lying where vt does.
struct DECIMAL
{
    USHORT wReserved;
    BYTE scale;
    BYTE sign; // DECIMAL_NEG for a negative number
    ULONG Hi32;
    ULONGLONG Lo64;
};
constexpr BYTE DECIMAL_NEG = 0x80;

struct VARIANT
{
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        int intVal;
        UINT uintVal;
        void *byref;
        BYTE *pbVal;
        SHORT *piVal;
        LONG *plVal;
        LONGLONG *pllVal;
        float *pfltVal;
        double *pdblVal;
        VARIANT_BOOL *pboolVal;
        CY *pcyVal;
        DATE *pdate;
        BSTR *pbstrVal;
        DECIMAL *pdecVal;
        VARIANT *pvarVal;
        char *pcVal;
        USHORT *puiVal;
        ULONG *pulVal;
        ULONGLONG *pullVal;
        int *pintVal;
        UINT *puintVal;
    };
};
static_assert(sizeof(DECIMAL) == sizeof(VARIANT), "a decimal fills its variant");
using VARIANTARG = VARIANT;

#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_R8(v) ((v)->dblVal)

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;

struct DISPPARAMS
{
    VARIANTARG *rgvarg; // arguments in reverse order
    DISPID *rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO
{
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void *pvReserved;
    HRESULT(QUILVET_COMCALL *pfnDeferredFillIn)(EXCEPINFO *);
    SCODE scode;
};

struct CONNECTDATA
{
    IUnknown *pUnk;
    DWORD dwCookie;
};

} // namespace quilvet::com

#endif
