#pragma once

// Type information: what a generic host reads to learn the members of a class
// and its interfaces without any table compiled in.

#include <quilvet/ComInterfaces.h>

#if !defined(_WIN32)

namespace quilvet::com {

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

enum DESCKIND {
    DESCKIND_NONE,
    DESCKIND_FUNCDESC,
    DESCKIND_VARDESC,
    DESCKIND_TYPECOMP,
    DESCKIND_IMPLICITAPPOBJ,
    DESCKIND_MAX
};
union BINDPTR {
    FUNCDESC *lpfuncdesc;
    VARDESC *lpvardesc;
    ITypeComp *lptcomp;
};

// Binding a name to a member of a type without walking its descriptions. A
// name that binds to nothing answers S_OK with DESCKIND_NONE.
struct ITypeComp : IUnknown
{
    virtual HRESULT QUILVET_COMCALL Bind(
        LPOLESTR name, ULONG hash, WORD flags, ITypeInfo **typeInfo, DESCKIND *kind, BINDPTR *bound)
        = 0;
    virtual HRESULT QUILVET_COMCALL BindType(
        LPOLESTR name, ULONG hash, ITypeInfo **typeInfo, ITypeComp **typeComp)
        = 0;

protected:
    ~ITypeComp() = default;
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

inline constexpr IID IID_ITypeInfo
    = { 0x00020401, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_ITypeLib
    = { 0x00020402, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

inline constexpr IID IID_ITypeComp
    = { 0x00020403, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
} // namespace quilvet::com

#endif
