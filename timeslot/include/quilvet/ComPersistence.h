#pragma once

// Persistence interfaces: a property bag, a stream, and the objects that save
// into them.

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

struct ULARGE_INTEGER
{
    ULONGLONG QuadPart;
};
struct LARGE_INTEGER
{
    std::int64_t QuadPart;
};
struct FILETIME
{
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct STATSTG
{
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr HRESULT STG_E_INVALIDFUNCTION = hresultOf(0x80030001);
constexpr HRESULT STG_E_MEDIUMFULL = hresultOf(0x80030070);
constexpr HRESULT STG_E_INVALIDHEADER = hresultOf(0x800300FB);
constexpr HRESULT STG_E_OLDDLL = hresultOf(0x80030105);

// A sequence of bytes. Read answers S_FALSE when fewer bytes than asked were left.
struct ISequentialStream : IUnknown
{
    virtual HRESULT QUILVET_COMCALL Read(void *buffer, ULONG size, ULONG *read) = 0;
    virtual HRESULT QUILVET_COMCALL Write(const void *buffer, ULONG size, ULONG *written) = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : ISequentialStream
{
    virtual HRESULT QUILVET_COMCALL Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *position) = 0;
    virtual HRESULT QUILVET_COMCALL SetSize(ULARGE_INTEGER size) = 0;
    virtual HRESULT QUILVET_COMCALL CopyTo(
        IStream *target, ULARGE_INTEGER size, ULARGE_INTEGER *read, ULARGE_INTEGER *written)
        = 0;
    virtual HRESULT QUILVET_COMCALL Commit(DWORD flags) = 0;
    virtual HRESULT QUILVET_COMCALL Revert() = 0;
    virtual HRESULT QUILVET_COMCALL LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) = 0;
    virtual HRESULT QUILVET_COMCALL UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) = 0;
    virtual HRESULT QUILVET_COMCALL Stat(STATSTG *statistics, DWORD flags) = 0;
    virtual HRESULT QUILVET_COMCALL Clone(IStream **copy) = 0;

protected:
    ~IStream() = default;
};

// Saving into a stream. IsDirty answers S_OK when the object changed since it
// was last saved with clearDirty, else S_FALSE.
struct IPersistStream : IPersist
{
    virtual HRESULT QUILVET_COMCALL IsDirty() = 0;
    virtual HRESULT QUILVET_COMCALL Load(IStream *stream) = 0;
    virtual HRESULT QUILVET_COMCALL Save(IStream *stream, BOOL clearDirty) = 0;
    virtual HRESULT QUILVET_COMCALL GetSizeMax(ULARGE_INTEGER *size) = 0;

protected:
    ~IPersistStream() = default;
};

// IPersistStream with InitNew, for objects that can start without a stream.
struct IPersistStreamInit : IPersist
{
    virtual HRESULT QUILVET_COMCALL IsDirty() = 0;
    virtual HRESULT QUILVET_COMCALL Load(IStream *stream) = 0;
    virtual HRESULT QUILVET_COMCALL Save(IStream *stream, BOOL clearDirty) = 0;
    virtual HRESULT QUILVET_COMCALL GetSizeMax(ULARGE_INTEGER *size) = 0;
    virtual HRESULT QUILVET_COMCALL InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};

inline constexpr IID IID_IErrorLog
    = { 0x3127CA40, 0x446E, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPropertyBag
    = { 0x55272A00, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
inline constexpr IID IID_IPersist
    = { 0x0000010C, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IPersistPropertyBag
    = { 0x37D84F60, 0x42CB, 0x11CE, { 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };

inline constexpr IID IID_ISequentialStream
    = { 0x0C733A30, 0x2A1C, 0x11CE, { 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D } };
inline constexpr IID IID_IStream
    = { 0x0000000C, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IPersistStream
    = { 0x00000109, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
inline constexpr IID IID_IPersistStreamInit
    = { 0x7FD52380, 0x4E07, 0x101B, { 0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13 } };

} // namespace quilvet::com

#endif
