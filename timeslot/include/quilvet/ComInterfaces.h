#pragma once

// The component model's object interfaces: reference counting and interface
// query, class factory, dispatch, class information, connection points and the
// property-change sink.

#include <quilvet/ComTypes.h>

#if !defined(_WIN32)

namespace quilvet::com {

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

} // namespace quilvet::com

#endif
