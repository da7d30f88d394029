#pragma once

// The component interfaces that clsQuilvet is hosted through, with the
// signatures the platform's component model gives them: reference counting and
// interface query, class factory, dispatch, connection points, the
// property-change sink and persistence through a property bag.
//
// Where the platform's own headers exist they are used. Elsewhere this header
// declares the few types, status codes and interfaces the library relies on, and
// the runtime functions below are implemented by ComRuntime.cpp. Strings are
// UTF-16 (OLECHAR is char16_t here); integers have the platform's widths (LONG
// and ULONG are 32 bits).

#if defined(_WIN32)

// windows.h must come first.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>
// clang-format on

#else

#include <cstdint>
#include <cstring>

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

#define STDMETHODCALLTYPE
#define STDAPI extern "C" __attribute__((visibility("default"))) HRESULT

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

inline bool IsEqualGUID(REFGUID a, REFGUID b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool operator==(REFGUID a, REFGUID b)
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
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_BYREF = 0x4000,
};

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IUnknown;
struct IDispatch;

struct VARIANT
{
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        SHORT iVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        VARIANT *pvarVal;
    };
};
using VARIANTARG = VARIANT;

#define V_VT(v) ((v)->vt)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_R8(v) ((v)->dblVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_VARIANTREF(v) ((v)->pvarVal)

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
    HRESULT(STDMETHODCALLTYPE *pfnDeferredFillIn)(EXCEPINFO *);
    SCODE scode;
};

struct CONNECTDATA
{
    IUnknown *pUnk;
    DWORD dwCookie;
};

struct ITypeInfo;
struct IEnumConnections;
struct IEnumConnectionPoints;
struct IConnectionPointContainer;

struct IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **object) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IDispatch : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids)
        = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
        DISPPARAMS *params, VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
        = 0;

protected:
    ~IDispatch() = default;
};

struct IConnectionPoint : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **container) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **connections) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **points) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

struct IPropertyNotifySink : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) = 0;

protected:
    ~IPropertyNotifySink() = default;
};

struct IErrorLog : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AddError(LPCOLESTR propertyName, EXCEPINFO *exception) = 0;

protected:
    ~IErrorLog() = default;
};

struct IPropertyBag : IUnknown
{
    // Returns E_INVALIDARG when nothing is stored under the name.
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT *value, IErrorLog *errorLog) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT *value) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersist : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistPropertyBag : IPersist
{
    virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IPropertyBag *bag, IErrorLog *errorLog) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IPropertyBag *bag, BOOL clearDirty, BOOL saveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

extern const IID IID_NULL;
extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;
extern const IID IID_IDispatch;
extern const IID IID_IConnectionPoint;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_IPropertyNotifySink;
extern const IID IID_IErrorLog;
extern const IID IID_IPropertyBag;
extern const IID IID_IPersist;
extern const IID IID_IPersistPropertyBag;

BSTR SysAllocString(const OLECHAR *text);
BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

void VariantInit(VARIANT *value);
HRESULT VariantClear(VARIANT *value);
HRESULT VariantCopy(VARIANT *destination, const VARIANT *source);
// Conversions among VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL and VT_BSTR (a
// VT_BYREF | VT_VARIANT source is followed). Failures: DISP_E_TYPEMISMATCH for
// text that is no number or Boolean, DISP_E_OVERFLOW for a number out of range,
// DISP_E_BADVARTYPE for other types.
HRESULT VariantChangeType(VARIANT *destination, const VARIANT *source, USHORT flags, VARTYPE type);

#endif

// The platform's stand-in for in-place activation: a Qt host asks the control
// object for its widget and puts it in its own window. The widget stays owned
// by the object, which deletes it on its final Release unless it is gone already.
class QWidget;
struct IQtControl : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetWidget(QWidget **widget) = 0;

protected:
    ~IQtControl() = default;
};
extern const IID IID_IQtControl;
