#pragma once

#include "ComponentTypes.h"
#include "PropertyStore.h"

#include <QByteArray>
#include <QList>

namespace quilvet {

// The property store a control sees when its host saves it into a stream: it
// keeps what a property bag would keep (a value equal to its default is not
// written) and reads and writes it in the library's own stream format.
//
// Format, version 1; every number is little-endian, every text UTF-16LE:
//   bytes 0-3    the signature "QVPS"
//   bytes 4-5    the format version (1)
//   bytes 6-7    the number of entries
//   bytes 8-11   the length in bytes of the entries, which follow at once
//   each entry   its type as 16 bits (VT_BOOL 11, VT_I2 2, VT_I4 3, VT_BSTR 8),
//                its name's length in UTF-16 units as 16 bits, the name, then the
//                value: VT_BOOL as 16 bits (-1 true, 0 false), VT_I2 as 16 bits,
//                VT_I4 as 32 bits, VT_BSTR as its length in UTF-16 units (32 bits)
//                followed by the text.
// Names are matched without regard to case, as a property bag matches them.
// The stream is read no further than the entries' end, so that a host may keep
// more after them.
class StreamPropertyStore final : public PropertyStore
{
public:
    static constexpr quint16 FormatVersion = 1;

    QVariant readProperty(const QString &name, const QVariant &defaultValue) override;
    void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override;
    std::optional<bool> holds(const QString &name) const override;

    // The whole saved form: header and entries.
    QByteArray encode() const;
    // Reads one saved form from the stream's current position; on failure the
    // store is unchanged. STG_E_INVALIDHEADER: no signature or a length beyond
    // reason; STG_E_OLDDLL: a newer format version; STG_E_READFAULT: the stream
    // ends early or an entry is malformed; or the stream's own failure.
    HRESULT load(IStream *stream);
    HRESULT save(IStream *stream) const;

private:
    struct Entry
    {
        QString name;
        QVariant value;
    };
    const Entry *find(const QString &name) const;

    QList<Entry> m_entries;
};

} // namespace quilvet
