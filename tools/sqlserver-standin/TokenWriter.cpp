#include "TokenWriter.h"

#include <QDateTime>
#include <QUuid>

namespace standin {

namespace {
constexpr quint8 TokenColMetadata = 0x81;
constexpr quint8 TokenError = 0xAA;
constexpr quint8 TokenInfo = 0xAB;
constexpr quint8 TokenLoginAck = 0xAD;
constexpr quint8 TokenRow = 0xD1;
constexpr quint8 TokenEnvChange = 0xE3;
constexpr quint8 TokenReturnStatus = 0x79;
constexpr quint8 TokenDone = 0xFD;
constexpr quint8 TokenDoneProc = 0xFE;
constexpr quint8 TokenDoneInProc = 0xFF;

constexpr quint8 TypeNVarChar = 0xE7;
constexpr quint8 TypeBigChar = 0xAF;
constexpr quint8 TypeIntN = 0x26;
constexpr quint8 TypeNumericN = 0x6C;
constexpr quint8 TypeGuid = 0x24;
constexpr quint8 TypeBitN = 0x68;
constexpr quint8 TypeBigVarBinary = 0xA5;
constexpr quint8 TypeDateTimeN = 0x6F;
constexpr quint8 TypeVariant = 0x62;
constexpr quint8 TypeInt4 = 0x38;
constexpr quint32 VariantMaxLength = 8009;

constexpr quint16 NullLength = 0xFFFF;

// Bytes of a numeric value of this precision, including the sign byte.
int numericLength(int precision)
{
    if (precision <= 9)
        return 5;
    if (precision <= 19)
        return 9;
    if (precision <= 28)
        return 13;
    return 17;
}

int intLength(SqlType type)
{
    switch (type) {
    case SqlType::TinyIntN:
        return 1;
    case SqlType::SmallIntN:
        return 2;
    case SqlType::IntN:
        return 4;
    default:
        return 8;
    }
}
} // namespace

QByteArray TokenWriter::defaultCollation()
{
    return QByteArray::fromHex("0904d00034");
}

QByteArray TokenWriter::take()
{
    QByteArray data;
    data.swap(m_data);
    return data;
}

void TokenWriter::u8(quint8 value)
{
    m_data.append(char(value));
}

void TokenWriter::u16(quint16 value)
{
    u8(quint8(value & 0xFF));
    u8(quint8(value >> 8));
}

void TokenWriter::u32(quint32 value)
{
    u16(quint16(value & 0xFFFF));
    u16(quint16(value >> 16));
}

void TokenWriter::u64(quint64 value)
{
    u32(quint32(value & 0xFFFFFFFF));
    u32(quint32(value >> 32));
}

void TokenWriter::utf16(const QString &text)
{
    for (const QChar c : text)
        u16(c.unicode());
}

void TokenWriter::bVarchar(const QString &text)
{
    const QString clipped = text.left(255);
    u8(quint8(clipped.size()));
    utf16(clipped);
}

void TokenWriter::usVarchar(const QString &text)
{
    const QString clipped = text.left(65535);
    u16(quint16(clipped.size()));
    utf16(clipped);
}

void TokenWriter::envChange(EnvChangeType type, const QString &newValue, const QString &oldValue)
{
    u8(TokenEnvChange);
    u16(quint16(1 + 1 + 2 * newValue.left(255).size() + 1 + 2 * oldValue.left(255).size()));
    u8(type);
    bVarchar(newValue);
    bVarchar(oldValue);
}

void TokenWriter::collationChange()
{
    const QByteArray collation = defaultCollation();
    u8(TokenEnvChange);
    u16(quint16(1 + 1 + collation.size() + 1));
    u8(SqlCollation);
    u8(quint8(collation.size()));
    m_data.append(collation);
    u8(0);
}

void TokenWriter::message(const ServerMessage &message, const QString &serverName)
{
    const QString text = message.text.left(65535);
    const QString server = serverName.left(255);
    const QString procedure = message.procedure.left(255);
    u8(message.isError() ? TokenError : TokenInfo);
    u16(quint16(4 + 1 + 1 + 2 + 2 * text.size() + 1 + 2 * server.size() + 1 + 2 * procedure.size() + 4));
    u32(quint32(message.number));
    u8(quint8(message.state));
    u8(quint8(message.level));
    usVarchar(text);
    bVarchar(server);
    bVarchar(procedure);
    u32(quint32(message.line));
}

void TokenWriter::loginAck(quint32 tdsVersion, const ServerVersion &version)
{
    const QString program = QStringLiteral("Microsoft SQL Server");
    u8(TokenLoginAck);
    u16(quint16(1 + 4 + 1 + 2 * program.size() + 4));
    u8(1); // interface: T-SQL
    // The TDS version travels big-endian here.
    u8(quint8(tdsVersion >> 24));
    u8(quint8(tdsVersion >> 16));
    u8(quint8(tdsVersion >> 8));
    u8(quint8(tdsVersion));
    bVarchar(program);
    u8(quint8(version.major));
    u8(quint8(version.minor));
    u8(quint8(version.build >> 8));
    u8(quint8(version.build & 0xFF));
}

void TokenWriter::done(DoneKind kind, quint16 status, quint16 command, quint64 count)
{
    u8(kind == DoneKind::Done ? TokenDone : (kind == DoneKind::DoneProc ? TokenDoneProc : TokenDoneInProc));
    u16(status);
    u16(command);
    u64(count);
}

void TokenWriter::returnStatus(qint32 status)
{
    u8(TokenReturnStatus);
    u32(quint32(status));
}

void TokenWriter::columns(const QList<ResultColumn> &columns)
{
    u8(TokenColMetadata);
    u16(quint16(columns.size()));
    for (const ResultColumn &column : columns) {
        u32(0); // user type
        u16(column.nullable ? 0x0001 : 0x0000);
        switch (column.type) {
        case SqlType::NVarChar:
            u8(TypeNVarChar);
            u16(quint16(2 * column.length));
            m_data.append(defaultCollation());
            break;
        case SqlType::Char:
            u8(TypeBigChar);
            u16(quint16(column.length));
            m_data.append(defaultCollation());
            break;
        case SqlType::TinyIntN:
        case SqlType::SmallIntN:
        case SqlType::IntN:
        case SqlType::BigIntN:
            u8(TypeIntN);
            u8(quint8(intLength(column.type)));
            break;
        case SqlType::NumericN:
            u8(TypeNumericN);
            u8(quint8(numericLength(column.precision)));
            u8(quint8(column.precision));
            u8(0); // scale
            break;
        case SqlType::UniqueIdentifier:
            u8(TypeGuid);
            u8(16);
            break;
        case SqlType::Bit:
            u8(TypeBitN);
            u8(1);
            break;
        case SqlType::VarBinary:
            u8(TypeBigVarBinary);
            u16(quint16(column.length));
            break;
        case SqlType::DateTimeN:
            u8(TypeDateTimeN);
            u8(8);
            break;
        case SqlType::Variant:
            u8(TypeVariant);
            u32(VariantMaxLength);
            break;
        }
        bVarchar(column.name);
    }
}

void TokenWriter::row(const QList<ResultColumn> &columns, const ResultRow &row)
{
    u8(TokenRow);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const ResultColumn &column = columns.at(i);
        const QVariant value = i < row.size() ? row.at(i) : QVariant();
        const bool isNull = value.isNull();
        switch (column.type) {
        case SqlType::NVarChar: {
            if (isNull) {
                u16(NullLength);
                break;
            }
            const QString text = value.toString().left(column.length);
            u16(quint16(2 * text.size()));
            utf16(text);
            break;
        }
        case SqlType::Char: {
            if (isNull) {
                u16(NullLength);
                break;
            }
            QByteArray bytes = value.toString().toLatin1().left(column.length);
            bytes = bytes.leftJustified(column.length, ' ');
            u16(quint16(bytes.size()));
            m_data.append(bytes);
            break;
        }
        case SqlType::TinyIntN:
        case SqlType::SmallIntN:
        case SqlType::IntN:
        case SqlType::BigIntN: {
            if (isNull) {
                u8(0);
                break;
            }
            const int length = intLength(column.type);
            const quint64 number = quint64(value.toLongLong());
            u8(quint8(length));
            for (int b = 0; b < length; ++b)
                u8(quint8(number >> (8 * b)));
            break;
        }
        case SqlType::NumericN: {
            if (isNull) {
                u8(0);
                break;
            }
            const int length = numericLength(column.precision);
            const qint64 number = value.toLongLong();
            const quint64 magnitude = number < 0 ? quint64(-(number + 1)) + 1 : quint64(number);
            u8(quint8(length));
            u8(number < 0 ? 0 : 1);
            for (int b = 0; b < length - 1; ++b)
                u8(b < 8 ? quint8(magnitude >> (8 * b)) : 0);
            break;
        }
        case SqlType::UniqueIdentifier: {
            if (isNull) {
                u8(0);
                break;
            }
            u8(16);
            // Data1..Data3 little-endian, Data4 as is: the same layout as QUuid's little-endian RFC form.
            m_data.append(value.value<QUuid>().toRfc4122().left(16));
            {
                QByteArray &d = m_data;
                const qsizetype start = d.size() - 16;
                std::swap(d[start], d[start + 3]);
                std::swap(d[start + 1], d[start + 2]);
                std::swap(d[start + 4], d[start + 5]);
                std::swap(d[start + 6], d[start + 7]);
            }
            break;
        }
        case SqlType::Bit:
            if (isNull) {
                u8(0);
                break;
            }
            u8(1);
            u8(value.toBool() ? 1 : 0);
            break;
        case SqlType::VarBinary: {
            if (isNull) {
                u16(NullLength);
                break;
            }
            const QByteArray bytes = value.toByteArray().left(column.length);
            u16(quint16(bytes.size()));
            m_data.append(bytes);
            break;
        }
        case SqlType::DateTimeN: {
            if (isNull) {
                u8(0);
                break;
            }
            // Days since 1900-01-01, then three-hundredths of a second since midnight.
            const QDateTime when = value.toDateTime();
            const qint64 days = QDate(1900, 1, 1).daysTo(when.date());
            const qint64 ticks = qint64(when.time().msecsSinceStartOfDay()) * 300 / 1000;
            u8(8);
            u32(quint32(qint32(days)));
            u32(quint32(ticks));
            break;
        }
        case SqlType::Variant:
            variant(value);
            break;
        }
    }
}

void TokenWriter::variant(const QVariant &value)
{
    if (value.isNull()) {
        u32(0);
        return;
    }
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        u32(2 + 4);
        u8(TypeInt4);
        u8(0); // no properties
        u32(quint32(qint32(value.toLongLong())));
        return;
    }
    const QString text = value.toString().left(4000);
    const QByteArray collation = defaultCollation();
    const quint8 properties = quint8(collation.size() + 2);
    u32(quint32(2 + properties + 2 * text.size()));
    u8(TypeNVarChar);
    u8(properties);
    m_data.append(collation);
    u16(quint16(2 * qMax<qsizetype>(1, text.size())));
    utf16(text);
}

} // namespace standin
