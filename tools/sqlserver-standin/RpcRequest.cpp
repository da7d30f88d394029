#include "RpcRequest.h"

#include <QtEndian>

namespace standin {

namespace {

namespace TypeCode {
constexpr quint8 Text = 0x23;
constexpr quint8 IntN = 0x26;
constexpr quint8 TinyInt = 0x30;
constexpr quint8 Bit = 0x32;
constexpr quint8 SmallInt = 0x34;
constexpr quint8 Int = 0x38;
constexpr quint8 NText = 0x63;
constexpr quint8 BitN = 0x68;
constexpr quint8 BigInt = 0x7F;
constexpr quint8 VarChar = 0xA7;
constexpr quint8 Char = 0xAF;
constexpr quint8 NVarChar = 0xE7;
constexpr quint8 NChar = 0xEF;
} // namespace TypeCode

constexpr quint16 PlpMaxLength = 0xFFFF;
constexpr quint64 PlpNull = ~quint64(0);
constexpr int CollationSize = 5;

// The procedures clients call by number (the NameLenProcID switch FF FF).
QString wellKnownProcedure(quint16 id)
{
    static const char *const names[]
        = { "", "sp_cursor", "sp_cursoropen", "sp_cursorprepare", "sp_cursorexecute", "sp_cursorprepexec",
              "sp_cursorunprepare", "sp_cursorfetch", "sp_cursoroption", "sp_cursorclose", "sp_executesql",
              "sp_prepare", "sp_execute", "sp_prepexec", "sp_prepexecrpc", "sp_unprepare" };
    if (id == 0 || id >= std::size(names))
        return QStringLiteral("procedure %1").arg(id);
    return QString::fromLatin1(names[id]);
}

// Reads little-endian values and strings from the payload; any read past its end marks it broken.
class PayloadReader
{
public:
    explicit PayloadReader(const QByteArray &data, qsizetype at)
        : m_data(data)
        , m_at(at)
    { }

    bool atEnd() const { return m_at >= m_data.size(); }
    quint8 peek() const { return atEnd() ? 0 : quint8(m_data.at(m_at)); }
    bool broken() const { return m_broken; }

    template<typename T> T number()
    {
        if (!has(sizeof(T)))
            return T(0);
        const T value = qFromLittleEndian<T>(m_data.constData() + m_at);
        m_at += qsizetype(sizeof(T));
        return value;
    }

    QByteArray bytes(qint64 size)
    {
        if (size < 0 || !has(size))
            return QByteArray();
        const QByteArray value = m_data.mid(m_at, qsizetype(size));
        m_at += qsizetype(size);
        return value;
    }

    QString utf16(qint64 characters) { return fromUtf16(bytes(2 * characters)); }

    static QString fromUtf16(const QByteArray &bytes)
    {
        return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    }

private:
    bool has(qint64 size)
    {
        if (m_broken || size > m_data.size() - m_at) {
            m_broken = true;
            return false;
        }
        return true;
    }

    const QByteArray &m_data;
    qsizetype m_at;
    bool m_broken = false;
};

// Chunks of a partly length-prefixed value (nvarchar(max)): ULONG length, bytes, ..., 0.
QByteArray readPlpChunks(PayloadReader &reader)
{
    QByteArray value;
    while (!reader.broken()) {
        const quint32 chunk = reader.number<quint32>();
        if (chunk == 0)
            break;
        value += reader.bytes(chunk);
    }
    return value;
}

class ParameterReader
{
public:
    explicit ParameterReader(PayloadReader &reader)
        : m_reader(reader)
    { }

    // False with *error set for a type the stand-in does not read.
    bool read(RpcParameter &parameter, QString *error)
    {
        parameter.name = m_reader.utf16(m_reader.number<quint8>());
        parameter.output = (m_reader.number<quint8>() & 0x01) != 0;
        const quint8 type = m_reader.number<quint8>();
        switch (type) {
        case TypeCode::TinyInt:
        case TypeCode::SmallInt:
        case TypeCode::Int:
        case TypeCode::BigInt:
        case TypeCode::Bit:
            return readFixed(type, parameter);
        case TypeCode::IntN:
        case TypeCode::BitN:
            if (readNullableNumber(type, parameter))
                return true;
            *error = QStringLiteral("an integer parameter of that size");
            return false;
        case TypeCode::NVarChar:
        case TypeCode::NChar:
        case TypeCode::VarChar:
        case TypeCode::Char:
            return readCharacters(type, parameter);
        case TypeCode::NText:
        case TypeCode::Text:
            return readText(type, parameter);
        default:
            *error = QStringLiteral("parameters of TDS type 0x%1").arg(type, 2, 16, QLatin1Char('0'));
            return false;
        }
    }

private:
    static QString intName(int size)
    {
        return size == 1 ? QStringLiteral("tinyint")
                         : (size == 2 ? QStringLiteral("smallint")
                                      : (size == 4 ? QStringLiteral("int") : QStringLiteral("bigint")));
    }

    void setNumber(RpcParameter &parameter, int size, bool isBit)
    {
        qint64 number = 0;
        if (size == 1)
            number = m_reader.number<quint8>();
        else if (size == 2)
            number = m_reader.number<qint16>();
        else if (size == 4)
            number = m_reader.number<qint32>();
        else
            number = m_reader.number<qint64>();
        parameter.value = SqlValue { SqlValue::Kind::Number, QString::number(isBit ? number != 0 : number) };
    }

    bool readFixed(quint8 type, RpcParameter &parameter)
    {
        const int size = type == TypeCode::BigInt ? 8
            : type == TypeCode::Int               ? 4
            : type == TypeCode::SmallInt          ? 2
                                                  : 1;
        parameter.type = type == TypeCode::Bit ? QStringLiteral("bit") : intName(size);
        setNumber(parameter, size, type == TypeCode::Bit);
        return true;
    }

    bool readNullableNumber(quint8 type, RpcParameter &parameter)
    {
        const int maxSize = m_reader.number<quint8>();
        parameter.type = type == TypeCode::BitN ? QStringLiteral("bit") : intName(maxSize);
        const int size = m_reader.number<quint8>();
        if (size == 0)
            return true; // NULL
        if (size != 1 && size != 2 && size != 4 && size != 8)
            return false;
        setNumber(parameter, size, type == TypeCode::BitN);
        return true;
    }

    bool readCharacters(quint8 type, RpcParameter &parameter)
    {
        const bool wide = type == TypeCode::NVarChar || type == TypeCode::NChar;
        const quint16 maxLength = m_reader.number<quint16>();
        m_reader.bytes(CollationSize);
        const QString base = QString::fromLatin1(type == TypeCode::NVarChar ? "nvarchar"
                : type == TypeCode::NChar                                   ? "nchar"
                : type == TypeCode::VarChar                                 ? "varchar"
                                                                            : "char");
        if (maxLength == PlpMaxLength) {
            parameter.type = base + QStringLiteral("(max)");
            if (m_reader.number<quint64>() == PlpNull)
                return true;
            setText(parameter, readPlpChunks(m_reader), wide);
            return true;
        }
        parameter.type = QStringLiteral("%1(%2)").arg(base).arg(wide ? maxLength / 2 : maxLength);
        const quint16 length = m_reader.number<quint16>();
        if (length != 0xFFFF)
            setText(parameter, m_reader.bytes(length), wide);
        return true;
    }

    bool readText(quint8 type, RpcParameter &parameter)
    {
        const bool wide = type == TypeCode::NText;
        parameter.type = wide ? QStringLiteral("ntext") : QStringLiteral("text");
        m_reader.number<quint32>(); // the largest size
        m_reader.bytes(CollationSize);
        const qint32 length = m_reader.number<qint32>();
        if (length >= 0)
            setText(parameter, m_reader.bytes(length), wide);
        return true;
    }

    static void setText(RpcParameter &parameter, const QByteArray &bytes, bool wide)
    {
        parameter.value = SqlValue { SqlValue::Kind::String,
            wide ? PayloadReader::fromUtf16(bytes) : QString::fromLatin1(bytes) };
    }

    PayloadReader &m_reader;
};

} // namespace

std::optional<RpcRequest> parseRpcRequest(const QByteArray &payload, QString *error)
{
    // ALL_HEADERS (TDS 7.2+) comes first; its first DWORD counts its own length.
    qsizetype start = 0;
    if (payload.size() >= 4) {
        const quint32 total = qFromLittleEndian<quint32>(payload.constData());
        if (total >= 4 && total <= quint32(payload.size()))
            start = qsizetype(total);
    }
    PayloadReader reader(payload, start);
    RpcRequest request;
    const quint16 nameLength = reader.number<quint16>();
    request.procedure
        = nameLength == 0xFFFF ? wellKnownProcedure(reader.number<quint16>()) : reader.utf16(nameLength);
    reader.number<quint16>(); // option flags: recompile, no metadata; nothing to do for the stand-in
    ParameterReader parameters(reader);
    while (!reader.atEnd() && !reader.broken()) {
        if (reader.peek() == 0xFF || reader.peek() == 0xFE) { // a batch flag: another call follows
            *error = QStringLiteral("several remote procedure calls in one message");
            return std::nullopt;
        }
        RpcParameter parameter;
        if (!parameters.read(parameter, error))
            return std::nullopt;
        request.parameters << parameter;
    }
    if (reader.broken()) {
        *error = QStringLiteral("remote procedure calls cut short");
        return std::nullopt;
    }
    return request;
}

} // namespace standin
