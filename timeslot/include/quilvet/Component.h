#pragma once

// The component model clsQuilvet is hosted through: reference counting and
// interface query, class factory, dispatch and type information, connection
// points, the property-change sink, persistence through a property bag, the
// runtime functions for texts and variants, creation of a registered class,
// and the identifiers and dual interface of clsQuilvet itself.
//
// Where the platform's own headers exist they are used. Elsewhere this header
// declares the few types, status codes and interfaces used here, all in the
// namespace quilvet::com, so that nothing of it enters a host's global
// namespace. Strings are UTF-16 (OLECHAR is char16_t here); integers have the
// platform's widths (LONG and ULONG are 32 bits).

#include <QString>
#include <quilvet/quilvet_export.h>

#include <cstdint>

class QWidget;

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
    ::IPropertyBag, ::IPropertyNotifySink, ::ITypeInfo, ::ITypeLib, ::IUnknown, ::LCID, ::LONG, ::ULONG,
    ::VARIANT, ::VARIANT_BOOL, ::WORD;
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
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
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

struct ITypeInfo;
struct ITypeLib;
struct ITypeComp;
struct IEnumConnections;
struct IEnumConnectionPoints;
struct IConnectionPointContainer;
struct IConnectionPoint;

struct IUnknown
{
    virtual HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) = 0;
    virtual ULONG QUILVET_COMCALL AddRef() = 0;
    virtual ULONG QUILVET_COMCALL Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown
{
    virtual HRESULT QUILVET_COMCALL CreateInstance(IUnknown *outer, REFIID riid, void **object) = 0;
    virtual HRESULT QUILVET_COMCALL LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IDispatch : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetTypeInfoCount(UINT *count) = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) = 0;
    virtual HRESULT QUILVET_COMCALL GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids)
        = 0;
    virtual HRESULT QUILVET_COMCALL Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
        DISPPARAMS *params, VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
        = 0;

protected:
    ~IDispatch() = default;
};

struct IConnectionPoint : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetConnectionInterface(IID *iid) = 0;
    virtual HRESULT QUILVET_COMCALL GetConnectionPointContainer(IConnectionPointContainer **container) = 0;
    virtual HRESULT QUILVET_COMCALL Advise(IUnknown *sink, DWORD *cookie) = 0;
    virtual HRESULT QUILVET_COMCALL Unadvise(DWORD cookie) = 0;
    virtual HRESULT QUILVET_COMCALL EnumConnections(IEnumConnections **connections) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown
{
    virtual HRESULT QUILVET_COMCALL EnumConnectionPoints(IEnumConnectionPoints **points) = 0;
    virtual HRESULT QUILVET_COMCALL FindConnectionPoint(REFIID riid, IConnectionPoint **point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

struct IPropertyNotifySink : IUnknown
{
    virtual HRESULT QUILVET_COMCALL OnChanged(DISPID id) = 0;
    virtual HRESULT QUILVET_COMCALL OnRequestEdit(DISPID id) = 0;

protected:
    ~IPropertyNotifySink() = default;
};

struct IErrorLog : IUnknown
{
    virtual HRESULT QUILVET_COMCALL AddError(LPCOLESTR propertyName, EXCEPINFO *exception) = 0;

protected:
    ~IErrorLog() = default;
};

struct IPropertyBag : IUnknown
{
    // Returns E_INVALIDARG when nothing is stored under the name.
    virtual HRESULT QUILVET_COMCALL Read(LPCOLESTR name, VARIANT *value, IErrorLog *errorLog) = 0;
    virtual HRESULT QUILVET_COMCALL Write(LPCOLESTR name, VARIANT *value) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersist : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetClassID(CLSID *clsid) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistPropertyBag : IPersist
{
    virtual HRESULT QUILVET_COMCALL InitNew() = 0;
    virtual HRESULT QUILVET_COMCALL Load(IPropertyBag *bag, IErrorLog *errorLog) = 0;
    virtual HRESULT QUILVET_COMCALL Save(IPropertyBag *bag, BOOL clearDirty, BOOL saveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

// Type information: what a generic host reads to learn the members of a class
// and its interfaces without any table compiled in.
using MEMBERID = DISPID;
using HREFTYPE = DWORD;
constexpr MEMBERID MEMBERID_NIL = -1;

enum TYPEKIND {
    TKIND_ENUM,
    TKIND_RECORD,
    TKIND_MODULE,
    TKIND_INTERFACE,
    TKIND_DISPATCH,
    TKIND_COCLASS,
    TKIND_ALIAS,
    TKIND_UNION,
    TKIND_MAX
};
enum FUNCKIND { FUNC_VIRTUAL, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND {
    INVOKE_FUNC = 1,
    INVOKE_PROPERTYGET = 2,
    INVOKE_PROPERTYPUT = 4,
    INVOKE_PROPERTYPUTREF = 8
};
enum CALLCONV { CC_FASTCALL, CC_CDECL, CC_MSCPASCAL, CC_PASCAL = CC_MSCPASCAL, CC_MACPASCAL, CC_STDCALL };
enum SYSKIND { SYS_WIN16, SYS_WIN32, SYS_MAC, SYS_WIN64 };

constexpr WORD TYPEFLAG_FAPPOBJECT = 0x1;
constexpr WORD TYPEFLAG_FCANCREATE = 0x2;
constexpr WORD TYPEFLAG_FCONTROL = 0x20;
constexpr WORD TYPEFLAG_FHIDDEN = 0x10;
constexpr WORD TYPEFLAG_FDUAL = 0x40;
constexpr WORD TYPEFLAG_FNONEXTENSIBLE = 0x80;
constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr int IMPLTYPEFLAG_FDEFAULT = 0x1;
constexpr int IMPLTYPEFLAG_FSOURCE = 0x2;
constexpr USHORT PARAMFLAG_NONE = 0;
constexpr USHORT PARAMFLAG_FIN = 0x1;
constexpr USHORT PARAMFLAG_FOUT = 0x2;
constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
constexpr WORD LIBFLAG_FCONTROL = 0x2;

struct TYPEDESC
{
    union {
        TYPEDESC *lptdesc; // VT_PTR: the type pointed to
        HREFTYPE hreftype; // VT_USERDEFINED
    };
    VARTYPE vt;
};

struct IDLDESC
{
    std::uintptr_t dwReserved;
    USHORT wIDLFlags;
};

struct PARAMDESC
{
    void *pparamdescex;
    USHORT wParamFlags;
};

struct ELEMDESC
{
    TYPEDESC tdesc;
    union {
        IDLDESC idldesc;
        PARAMDESC paramdesc;
    };
};

struct TYPEATTR
{
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;
    IDLDESC idldescType;
};

struct FUNCDESC
{
    MEMBERID memid;
    SCODE *lprgscode;
    ELEMDESC *lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    SHORT cParams;
    SHORT cParamsOpt;
    SHORT oVft;
    SHORT cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};

struct VARDESC;

struct TLIBATTR
{
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

struct ITypeInfo : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetTypeAttr(TYPEATTR **attributes) = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeComp(ITypeComp **typeComp) = 0;
    virtual HRESULT QUILVET_COMCALL GetFuncDesc(UINT index, FUNCDESC **function) = 0;
    virtual HRESULT QUILVET_COMCALL GetVarDesc(UINT index, VARDESC **variable) = 0;
    virtual HRESULT QUILVET_COMCALL GetNames(MEMBERID id, BSTR *names, UINT maxNames, UINT *count) = 0;
    virtual HRESULT QUILVET_COMCALL GetRefTypeOfImplType(UINT index, HREFTYPE *reference) = 0;
    virtual HRESULT QUILVET_COMCALL GetImplTypeFlags(UINT index, int *flags) = 0;
    virtual HRESULT QUILVET_COMCALL GetIDsOfNames(LPOLESTR *names, UINT count, MEMBERID *ids) = 0;
    virtual HRESULT QUILVET_COMCALL Invoke(void *instance, MEMBERID id, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
        = 0;
    virtual HRESULT QUILVET_COMCALL GetDocumentation(
        MEMBERID id, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile)
        = 0;
    virtual HRESULT QUILVET_COMCALL GetDllEntry(
        MEMBERID id, INVOKEKIND kind, BSTR *dllName, BSTR *name, WORD *ordinal)
        = 0;
    virtual HRESULT QUILVET_COMCALL GetRefTypeInfo(HREFTYPE reference, ITypeInfo **typeInfo) = 0;
    virtual HRESULT QUILVET_COMCALL AddressOfMember(MEMBERID id, INVOKEKIND kind, void **address) = 0;
    virtual HRESULT QUILVET_COMCALL CreateInstance(IUnknown *outer, REFIID riid, void **object) = 0;
    virtual HRESULT QUILVET_COMCALL GetMops(MEMBERID id, BSTR *mops) = 0;
    virtual HRESULT QUILVET_COMCALL GetContainingTypeLib(ITypeLib **typeLib, UINT *index) = 0;
    virtual void QUILVET_COMCALL ReleaseTypeAttr(TYPEATTR *attributes) = 0;
    virtual void QUILVET_COMCALL ReleaseFuncDesc(FUNCDESC *function) = 0;
    virtual void QUILVET_COMCALL ReleaseVarDesc(VARDESC *variable) = 0;

protected:
    ~ITypeInfo() = default;
};

struct ITypeLib : IUnknown
{
    virtual UINT QUILVET_COMCALL GetTypeInfoCount() = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeInfo(UINT index, ITypeInfo **typeInfo) = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeInfoType(UINT index, TYPEKIND *kind) = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **typeInfo) = 0;
    virtual HRESULT QUILVET_COMCALL GetLibAttr(TLIBATTR **attributes) = 0;
    virtual HRESULT QUILVET_COMCALL GetTypeComp(ITypeComp **typeComp) = 0;
    virtual HRESULT QUILVET_COMCALL GetDocumentation(
        int index, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile)
        = 0;
    virtual HRESULT QUILVET_COMCALL IsName(LPOLESTR name, ULONG hash, BOOL *found) = 0;
    virtual HRESULT QUILVET_COMCALL FindName(
        LPOLESTR name, ULONG hash, ITypeInfo **typeInfos, MEMBERID *ids, USHORT *found)
        = 0;
    virtual void QUILVET_COMCALL ReleaseTLibAttr(TLIBATTR *attributes) = 0;

protected:
    ~ITypeLib() = default;
};

struct IProvideClassInfo : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetClassInfo(ITypeInfo **typeInfo) = 0;

protected:
    ~IProvideClassInfo() = default;
};

constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

struct IProvideClassInfo2 : IProvideClassInfo
{
    virtual HRESULT QUILVET_COMCALL GetGUID(DWORD kind, GUID *guid) = 0;

protected:
    ~IProvideClassInfo2() = default;
};

struct IEnumConnectionPoints : IUnknown
{
    virtual HRESULT QUILVET_COMCALL Next(ULONG count, IConnectionPoint **points, ULONG *fetched) = 0;
    virtual HRESULT QUILVET_COMCALL Skip(ULONG count) = 0;
    virtual HRESULT QUILVET_COMCALL Reset() = 0;
    virtual HRESULT QUILVET_COMCALL Clone(IEnumConnectionPoints **copy) = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IEnumConnections : IUnknown
{
    virtual HRESULT QUILVET_COMCALL Next(ULONG count, CONNECTDATA *connections, ULONG *fetched) = 0;
    virtual HRESULT QUILVET_COMCALL Skip(ULONG count) = 0;
    virtual HRESULT QUILVET_COMCALL Reset() = 0;
    virtual HRESULT QUILVET_COMCALL Clone(IEnumConnections **copy) = 0;

protected:
    ~IEnumConnections() = default;
};

inline constexpr IID IID_NULL
    = { 0x00000000, 0x0000, 0x0000, { 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00 } };
inline constexpr IID IID_IUnknown
    = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IClassFactory
    = { 0x00000001, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IDispatch
    = { 0x00020400, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_ITypeInfo
    = { 0x00020401, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_ITypeLib
    = { 0x00020402, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IConnectionPoint
    = { 0xB196B286, 0xBAB4, 0x101A, { 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IConnectionPointContainer
    = { 0xB196B284, 0xBAB4, 0x101A, { 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IEnumConnectionPoints
    = { 0xB196B285, 0xBAB4, 0x101A, { 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IEnumConnections
    = { 0xB196B287, 0xBAB4, 0x101A, { 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IProvideClassInfo
    = { 0xB196B283, 0xBAB4, 0x101A, { 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IProvideClassInfo2
    = { 0xA6BC3AC0, 0xDBAA, 0x11CE, { 0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPropertyNotifySink
    = { 0x9BFBBC02, 0xEFF1, 0x101A, { 0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07 } };
inline constexpr IID IID_IErrorLog
    = { 0x3127CA40, 0x446E, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPropertyBag
    = { 0x55272A00, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPersist
    = { 0x0000010C, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IPersistPropertyBag
    = { 0x37D84F60, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };

// The platform's text and variant functions.
QUILVET_EXPORT BSTR SysAllocString(const OLECHAR *text);
QUILVET_EXPORT BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
QUILVET_EXPORT void SysFreeString(BSTR text);
QUILVET_EXPORT UINT SysStringLen(BSTR text);

QUILVET_EXPORT void VariantInit(VARIANT *value);
QUILVET_EXPORT HRESULT VariantClear(VARIANT *value);
QUILVET_EXPORT HRESULT VariantCopy(VARIANT *destination, const VARIANT *source);
// Conversions among VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL and VT_BSTR (a
// VT_BYREF | VT_VARIANT source is followed). Failures: DISP_E_TYPEMISMATCH for
// text that is no number or Boolean, DISP_E_OVERFLOW for a number out of range,
// DISP_E_BADVARTYPE for other types.
QUILVET_EXPORT HRESULT VariantChangeType(
    VARIANT *destination, const VARIANT *source, USHORT flags, VARTYPE type);

} // namespace quilvet::com

#endif

namespace quilvet::com {

// The platform's stand-in for in-place activation: a Qt host asks the control
// object for its widget and puts it in its own window. The widget stays owned
// by the object, which deletes it on its final Release unless it is gone already.
struct IQtControl : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetWidget(QWidget **widget) = 0;

protected:
    ~IQtControl() = default;
};
inline constexpr IID IID_IQtControl
    = { 0x703F5D5A, 0x148F, 0x40A9, { 0x8A, 0x9C, 0x45, 0x0E, 0xCF, 0xD3, 0x1C, 0x23 } };

// Creation of registered components on platforms without a component runtime:
// the class is looked up in the per-user registry, its library is loaded from
// the path under InprocServer32, and the library's exported DllGetClassObject
// hands out the class factory. Libraries stay loaded for the life of the
// process: a library that registered Qt widget classes cannot be unmapped
// safely, so DllCanUnloadNow is answered but never acted on.
QUILVET_EXPORT HRESULT classIdFromProgId(const QString &progId, CLSID *clsid);
// The library registered for a class, or an empty text.
QUILVET_EXPORT QString inprocServerPath(REFCLSID clsid);
QUILVET_EXPORT HRESULT getClassObject(REFCLSID clsid, REFIID riid, void **object);
QUILVET_EXPORT HRESULT createInstance(REFCLSID clsid, IUnknown *outer, REFIID riid, void **object);
// The type library registered under libid and version major.minor: the library
// file named under its "0\linux" key is loaded and its exported DllGetTypeLib
// hands out the type library (this platform's libraries carry no resources).
// TYPE_E_LIBNOTREGISTERED when the registry names none.
QUILVET_EXPORT HRESULT loadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID locale, ITypeLib **typeLib);
// Loads a component library and calls its DllRegisterServer (or
// DllUnregisterServer), as the platform's registration tool does.
QUILVET_EXPORT HRESULT registerServer(
    const QString &libraryPath, bool unregister = false, QString *error = nullptr);

} // namespace quilvet::com

namespace quilvet {

// The identifiers of the Quilvet library, fixed for good: registered hosts find
// the control by them.
inline constexpr com::GUID LIBID_Quilvet
    = { 0x20639D1E, 0xC034, 0x413E, { 0xAD, 0x14, 0x2F, 0xA2, 0x9A, 0x8E, 0x18, 0x37 } };
inline constexpr com::GUID CLSID_clsQuilvet
    = { 0xCB6A31EE, 0x02C2, 0x409A, { 0x98, 0x51, 0xDE, 0xD8, 0xAC, 0xE8, 0x27, 0x7F } };
// The control's default interface, dual: dispatch and the table of functions below.
inline constexpr com::GUID IID__clsQuilvet
    = { 0xAAF20BC1, 0x2F22, 0x4C7C, { 0x8C, 0x34, 0x68, 0xD9, 0x7D, 0x89, 0xF1, 0xAC } };
// The control's event interface (Change, Scroll), dispatch only.
inline constexpr com::GUID DIID___clsQuilvet
    = { 0xAA5E60CA, 0x7D8E, 0x4CDD, { 0xB1, 0xF9, 0xBC, 0x7A, 0x49, 0x79, 0x4C, 0xBF } };
inline constexpr char16_t ProgId_clsQuilvet[] = u"Quilvet.clsQuilvet";

// _clsQuilvet as a table of functions, for hosts that bind early: the twenty
// properties in slot order, each get before its put. Every function returns the
// status code Invoke would return for the same call; a refused value returns the
// control's failure (for a refused Max, 901 as a FACILITY_CONTROL code). Texts
// returned by a get belong to the caller (SysFreeString).
struct _clsQuilvet : com::IDispatch
{
    using HRESULT = com::HRESULT;
    using LONG = com::LONG;
    using BSTR = com::BSTR;
    using VARIANT_BOOL = com::VARIANT_BOOL;

    virtual HRESULT QUILVET_COMCALL get_Enabled(VARIANT_BOOL *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Enabled(VARIANT_BOOL value) = 0;
    virtual HRESULT QUILVET_COMCALL get_Value(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Value(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_ToolTipText(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_ToolTipText(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelStart(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelStart(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_MaxMinute(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_MaxMinute(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_RoomFee_All(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_RoomFee_All(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_TimeIndex(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_TimeIndex(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_BeginTime(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_BeginTime(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_EndTime(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_EndTime(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelectRange(VARIANT_BOOL *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelectRange(VARIANT_BOOL value) = 0;
    virtual HRESULT QUILVET_COMCALL get_Max(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Max(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelLength(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelLength(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek1(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek1(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek2(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek2(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek3(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek3(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek4(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek4(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek5(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek5(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek6(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek6(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek7(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek7(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek8(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek8(BSTR value) = 0;

protected:
    ~_clsQuilvet() = default;
};

} // namespace quilvet
