#pragma once

#include "ComObject.h"

#include <QByteArray>

namespace quilvet::com {

// A stream kept in memory, as a host hands one to an object that saves itself
// into a stream: reads, writes, seeks and sizes; it neither locks, copies to
// another stream nor clones.
class MemoryStream final : public ComObject<MemoryStream, lifetime::Own, IStream>
{
public:
    // Reference count 1, positioned at the start of bytes.
    static MemoryStream *create(const QByteArray &bytes = QByteArray());

    HRESULT QUILVET_COMCALL Read(void *buffer, ULONG size, ULONG *read) override;
    HRESULT QUILVET_COMCALL Write(const void *buffer, ULONG size, ULONG *written) override;
    HRESULT QUILVET_COMCALL Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *position) override;
    HRESULT QUILVET_COMCALL SetSize(ULARGE_INTEGER size) override;
    HRESULT QUILVET_COMCALL CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *) override;
    HRESULT QUILVET_COMCALL Commit(DWORD) override { return S_OK; }
    HRESULT QUILVET_COMCALL Revert() override { return S_OK; }
    HRESULT QUILVET_COMCALL LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
    HRESULT QUILVET_COMCALL UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
    HRESULT QUILVET_COMCALL Stat(STATSTG *statistics, DWORD flags) override;
    HRESULT QUILVET_COMCALL Clone(IStream **copy) override;

    void *interfaceFor(REFIID riid);
    const QByteArray &bytes() const { return m_bytes; }

private:
    explicit MemoryStream(const QByteArray &bytes);

    QByteArray m_bytes;
    qsizetype m_position = 0;
};

} // namespace quilvet::com
