#include "StreamPropertyStore.h"

#include "PropertyValue.h"
#include "QuilvetError.h"

#include <QtEndian>

#include <optional>

namespace quilvet {

namespace {

constexpr char Signature[4] = { 'Q', 'V', 'P', 'S' };
constexpr int HeaderSize = 12;
// Far beyond twenty properties with long texts; refuses a corrupt length before allocating it.
constexpr quint32 MaximumEntriesLength = 16 * 1024 * 1024;

void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putText16(QByteArray &out, const QString &text)
{
    for (const QChar unit : text) {
        put16(out, unit.unicode());
    }
}

// Reads the entries' bytes front to back; every read checks what is left.
class EntryReader
{
public:
    explicit EntryReader(const QByteArray &bytes)
        : m_bytes(bytes)
    { }
    std::optional<quint16> u16() { return take<quint16>(); }
    std::optional<quint32> u32() { return take<quint32>(); }
    std::optional<QString> text(quint32 units)
    {
        if (units > static_cast<quint32>(m_bytes.size() - m_at) / 2) {
            return std::nullopt;
        }
        QString result(static_cast<qsizetype>(units), Qt::Uninitialized);
        for (quint32 i = 0; i < units; ++i) {
            result[i] = QChar(*u16());
        }
        return result;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    template<typename T> std::optional<T> take()
    {
        if (m_bytes.size() - m_at < qsizetype(sizeof(T))) {
            return std::nullopt;
        }
        const T value = qFromLittleEndian<T>(m_bytes.constData() + m_at);
        m_at += sizeof(T);
        return value;
    }

    const QByteArray &m_bytes;
    qsizetype m_at = 0;
};

std::optional<QVariant> readValue(EntryReader &reader, quint16 type)
{
    switch (type) {
    case VT_BOOL:
        if (const auto value = reader.u16()) {
            return QVariant(*value != 0);
        }
        return std::nullopt;
    case VT_I2:
        if (const auto value = reader.u16()) {
            return QVariant::fromValue(static_cast<qint16>(*value));
        }
        return std::nullopt;
    case VT_I4:
        if (const auto value = reader.u32()) {
            return QVariant::fromValue(static_cast<qint32>(*value));
        }
        return std::nullopt;
    case VT_BSTR:
        if (const auto length = reader.u32()) {
            if (const auto text = reader.text(*length)) {
                return QVariant(*text);
            }
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

HRESULT readExactly(IStream *stream, QByteArray &buffer)
{
    ULONG read = 0;
    const HRESULT hr = stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &read);
    if (FAILED(hr)) {
        return hr;
    }
    return read == static_cast<ULONG>(buffer.size()) ? S_OK : STG_E_READFAULT;
}

} // namespace

const StreamPropertyStore::Entry *StreamPropertyStore::find(const QString &name) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

QVariant StreamPropertyStore::readProperty(const QString &name, const QVariant &defaultValue)
{
    const Entry *entry = find(name);
    return entry ? entry->value : defaultValue;
}

std::optional<bool> StreamPropertyStore::holds(const QString &name) const
{
    return find(name) != nullptr;
}

void StreamPropertyStore::writeProperty(
    const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    if (PropertyValue::equals(value, defaultValue)) {
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::QString:
        break;
    default:
        throw Error::typeMismatch();
    }
    if (name.size() > 0xFFFF) {
        throw Error::invalidPropertyValue();
    }
    // A name written again keeps its first place and takes the new value, as in a bag.
    for (Entry &entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            entry.value = value;
            return;
        }
    }
    m_entries.append({ name, value });
}

QByteArray StreamPropertyStore::encode() const
{
    QByteArray entries;
    for (const Entry &entry : m_entries) {
        const int type = entry.value.metaType().id();
        const VARTYPE vt = type == QMetaType::Bool ? VT_BOOL
            : type == QMetaType::Short             ? VT_I2
            : type == QMetaType::Int               ? VT_I4
                                                   : VT_BSTR;
        put16(entries, vt);
        put16(entries, static_cast<quint16>(entry.name.size()));
        putText16(entries, entry.name);
        if (vt == VT_BOOL) {
            put16(entries, entry.value.toBool() ? 0xFFFF : 0);
        } else if (vt == VT_I2) {
            put16(entries, static_cast<quint16>(entry.value.value<qint16>()));
        } else if (vt == VT_I4) {
            put32(entries, static_cast<quint32>(entry.value.value<qint32>()));
        } else {
            const QString text = entry.value.toString();
            put32(entries, static_cast<quint32>(text.size()));
            putText16(entries, text);
        }
    }
    QByteArray out(Signature, sizeof Signature);
    put16(out, FormatVersion);
    put16(out, static_cast<quint16>(m_entries.size()));
    put32(out, static_cast<quint32>(entries.size()));
    return out + entries;
}

HRESULT StreamPropertyStore::save(IStream *stream) const
{
    const QByteArray bytes = encode();
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes.constData(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) {
        return hr;
    }
    return written == static_cast<ULONG>(bytes.size()) ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT StreamPropertyStore::load(IStream *stream)
{
    QByteArray header(HeaderSize, Qt::Uninitialized);
    if (const HRESULT hr = readExactly(stream, header); FAILED(hr)) {
        return hr;
    }
    if (!header.startsWith(QByteArray(Signature, sizeof Signature))) {
        return STG_E_INVALIDHEADER;
    }
    if (qFromLittleEndian<quint16>(header.constData() + 4) > FormatVersion) {
        return STG_E_OLDDLL;
    }
    const quint16 count = qFromLittleEndian<quint16>(header.constData() + 6);
    const quint32 length = qFromLittleEndian<quint32>(header.constData() + 8);
    if (length > MaximumEntriesLength) {
        return STG_E_INVALIDHEADER;
    }
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (const HRESULT hr = readExactly(stream, bytes); FAILED(hr)) {
        return hr;
    }
    EntryReader reader(bytes);
    QList<Entry> entries;
    for (quint16 i = 0; i < count; ++i) {
        const auto type = reader.u16();
        const auto nameLength = reader.u16();
        const auto name = nameLength ? reader.text(*nameLength) : std::nullopt;
        const auto value = type && name ? readValue(reader, *type) : std::nullopt;
        if (!value) {
            return STG_E_READFAULT;
        }
        entries.append({ *name, *value });
    }
    if (!reader.atEnd()) {
        return STG_E_READFAULT;
    }
    m_entries = entries;
    return S_OK;
}

} // namespace quilvet
