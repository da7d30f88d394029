#include "MemoryStream.h"

#include <cstring>

namespace quilvet::com {

MemoryStream *MemoryStream::create(const QByteArray &bytes)
{
    return new MemoryStream(bytes);
}

MemoryStream::MemoryStream(const QByteArray &bytes)
    : m_bytes(bytes)
{ }

void *MemoryStream::interfaceFor(REFIID riid)
{
    if (IsEqualGUID(riid, IID_IStream) || IsEqualGUID(riid, IID_ISequentialStream)) {
        return static_cast<IStream *>(this);
    }
    return nullptr;
}

HRESULT MemoryStream::Read(void *buffer, ULONG size, ULONG *read)
{
    if (!buffer && size > 0) {
        return E_POINTER;
    }
    const qsizetype count = qMin<qsizetype>(size, qMax<qsizetype>(0, m_bytes.size() - m_position));
    if (count > 0) {
        std::memcpy(buffer, m_bytes.constData() + m_position, static_cast<size_t>(count));
    }
    m_position += count;
    if (read) {
        *read = static_cast<ULONG>(count);
    }
    return count == qsizetype(size) ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void *buffer, ULONG size, ULONG *written)
{
    if (!buffer && size > 0) {
        return E_POINTER;
    }
    if (m_bytes.size() < m_position + qsizetype(size)) {
        m_bytes.resize(m_position + qsizetype(size), '\0');
    }
    if (size > 0) {
        std::memcpy(m_bytes.data() + m_position, buffer, size);
    }
    m_position += size;
    if (written) {
        *written = size;
    }
    return S_OK;
}

HRESULT MemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *position)
{
    qint64 base = 0;
    if (origin == STREAM_SEEK_CUR) {
        base = m_position;
    } else if (origin == STREAM_SEEK_END) {
        base = m_bytes.size();
    } else if (origin != STREAM_SEEK_SET) {
        return STG_E_INVALIDFUNCTION;
    }
    const qint64 target = base + move.QuadPart;
    if (target < 0) {
        return STG_E_INVALIDFUNCTION;
    }
    m_position = static_cast<qsizetype>(target);
    if (position) {
        position->QuadPart = static_cast<ULONGLONG>(target);
    }
    return S_OK;
}

HRESULT MemoryStream::SetSize(ULARGE_INTEGER size)
{
    m_bytes.resize(static_cast<qsizetype>(size.QuadPart), '\0');
    return S_OK;
}

HRESULT MemoryStream::CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *)
{
    return E_NOTIMPL;
}

HRESULT MemoryStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return STG_E_INVALIDFUNCTION;
}

HRESULT MemoryStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return STG_E_INVALIDFUNCTION;
}

HRESULT MemoryStream::Stat(STATSTG *statistics, DWORD)
{
    if (!statistics) {
        return E_POINTER;
    }
    std::memset(statistics, 0, sizeof *statistics);
    statistics->type = STGTY_STREAM;
    statistics->cbSize.QuadPart = static_cast<ULONGLONG>(m_bytes.size());
    return S_OK;
}

HRESULT MemoryStream::Clone(IStream **copy)
{
    if (copy) {
        *copy = nullptr;
    }
    return E_NOTIMPL;
}

} // namespace quilvet::com
