#pragma once

// Persistence interfaces: a property bag and the objects that save into one.

#include <quilvet/ComInterfaces.h>

#if !defined(_WIN32)

namespace quilvet::com {

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

inline constexpr IID IID_IErrorLog
    = { 0x3127CA40, 0x446E, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPropertyBag
    = { 0x55272A00, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPersist
    = { 0x0000010C, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IPersistPropertyBag
    = { 0x37D84F60, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };

} // namespace quilvet::com

#endif
