#include "TdsTestClient.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QtEndian>

namespace hall::test {

namespace {

void putU16(QByteArray &data, quint16 value)
{
    data.append(char(value & 0xFF));
    data.append(char(value >> 8));
}

void putU32(QByteArray &data, quint32 value)
{
    putU16(data, quint16(value & 0xFFFF));
    putU16(data, quint16(value >> 16));
}

QByteArray utf16(const QString &text)
{
    QByteArray data;
    for (const QChar c : text)
        putU16(data, c.unicode());
    return data;
}

QByteArray scrambled(const QString &password)
{
    QByteArray data = utf16(password);
    for (char &b : data) {
        const quint8 value = quint8(b);
        b = char(quint8((value << 4) | (value >> 4)) ^ 0xA5);
    }
    return data;
}

class Reader
{
public:
    explicit Reader(const QByteArray &data)
        : m_data(data)
    { }
    bool atEnd() const { return m_pos >= m_data.size(); }
    bool ok() const { return m_ok; }
    quint8 u8()
    {
        if (!need(1))
            return 0;
        return quint8(m_data.at(m_pos++));
    }
    quint16 u16()
    {
        if (!need(2))
            return 0;
        const quint16 value = qFromLittleEndian<quint16>(m_data.constData() + m_pos);
        m_pos += 2;
        return value;
    }
    quint32 u32()
    {
        if (!need(4))
            return 0;
        const quint32 value = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
        m_pos += 4;
        return value;
    }
    quint64 u64()
    {
        const quint64 low = u32();
        return low | (quint64(u32()) << 32);
    }
    QString chars(int count)
    {
        QString text;
        for (int i = 0; i < count && m_ok; ++i)
            text.append(QChar(char16_t(u16())));
        return text;
    }
    QByteArray bytes(int count)
    {
        if (!need(count))
            return QByteArray();
        const QByteArray value = m_data.mid(m_pos, count);
        m_pos += count;
        return value;
    }
    void skip(int count) { bytes(count); }

private:
    bool need(qsizetype size)
    {
        if (m_pos + size > m_data.size())
            m_ok = false;
        return m_ok;
    }
    const QByteArray &m_data;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

struct ColumnType
{
    quint8 type;
    int size;
};

} // namespace

bool TdsTestClient::connectTo(quint16 port)
{
    m_socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    return m_socket.waitForConnected(5000);
}

bool TdsTestClient::sendPacket(quint8 type, quint8 status, const QByteArray &payload)
{
    QByteArray packet;
    const int length = 8 + int(payload.size());
    packet.append(char(type));
    packet.append(char(status));
    packet.append(char(length >> 8));
    packet.append(char(length & 0xFF));
    packet.append(4, '\0');
    packet[6] = 1;
    packet.append(payload);
    m_socket.write(packet);
    return m_socket.waitForBytesWritten(5000) || m_socket.bytesToWrite() == 0;
}

bool TdsTestClient::sendMessage(quint8 type, const QByteArray &payload, int packetSize)
{
    const int room = packetSize - 8;
    qsizetype at = 0;
    do {
        const QByteArray piece = payload.mid(at, room);
        at += piece.size();
        if (!sendPacket(type, at >= payload.size() ? 0x01 : 0x00, piece))
            return false;
    } while (at < payload.size());
    return true;
}

bool TdsTestClient::readExactly(QByteArray &into, qsizetype size, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_buffer.size() < size) {
        if (m_socket.bytesAvailable() > 0) {
            m_buffer += m_socket.readAll();
            continue;
        }
        if (deadline.hasExpired() || m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
        m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    into = m_buffer.left(size);
    m_buffer.remove(0, size);
    return true;
}

std::optional<TdsTestClient::Answer> TdsTestClient::readPacket(int timeoutMs)
{
    QByteArray header;
    if (!readExactly(header, 8, timeoutMs))
        return std::nullopt;
    const int length = (quint8(header.at(2)) << 8) | quint8(header.at(3));
    QByteArray payload;
    if (length < 8 || !readExactly(payload, length - 8, timeoutMs))
        return std::nullopt;
    return Answer { payload, { length }, { quint8(header.at(1)) } };
}

std::optional<TdsTestClient::Answer> TdsTestClient::readAnswer(int timeoutMs)
{
    Answer answer;
    while (true) {
        const std::optional<Answer> packet = readPacket(timeoutMs);
        if (!packet)
            return std::nullopt;
        answer.payload += packet->payload;
        answer.packetLengths += packet->packetLengths;
        answer.packetStatuses += packet->packetStatuses;
        if (packet->packetStatuses.first() & 0x01)
            return answer;
    }
}

QByteArray TdsTestClient::readAvailable(int timeoutMs)
{
    m_socket.waitForReadyRead(timeoutMs);
    QByteArray data = m_buffer + m_socket.readAll();
    m_buffer.clear();
    return data;
}

bool TdsTestClient::waitForClosed(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        m_buffer += m_socket.readAll();
    }
    return m_socket.state() != QAbstractSocket::ConnectedState;
}

QByteArray TdsTestClient::freetdsPrelogin()
{
    // VERSION, ENCRYPTION (NOT_SUP), INSTOPT "MSSQLServer", THREADID, MARS 0: what FreeTDS sends
    // with encryption off.
    return QByteArray::fromHex("00001a0006"
                               "0100200001"
                               "020021000c"
                               "03002d0004"
                               "0400310001"
                               "ff"
                               "090000000000"
                               "02"
                               "4d5353514c53657276657200"
                               "00000000"
                               "00");
}

QByteArray TdsTestClient::login7(
    const QString &user, const QString &password, const QString &database, quint32 packetSize)
{
    const QList<QByteArray> fields { utf16(QStringLiteral("testhost")), utf16(user), scrambled(password),
        utf16(QStringLiteral("TestClient")), utf16(QStringLiteral("127.0.0.1")), QByteArray(),
        utf16(QStringLiteral("TDS-Library")), utf16(QStringLiteral("us_english")), utf16(database) };
    QByteArray fixed;
    putU32(fixed, 0); // length, filled in below
    putU32(fixed, 0x74000004); // TDS 7.4
    putU32(fixed, packetSize);
    fixed.append(QByteArray::fromHex("0683f2f8"));
    putU32(fixed, 4242);
    putU32(fixed, 0);
    fixed.append(QByteArray::fromHex("e0030018"));
    putU32(fixed, quint32(-120));
    putU32(fixed, 0x0436);
    QByteArray data;
    const int dataStart = 94;
    for (const QByteArray &field : fields) {
        putU16(fixed, quint16(dataStart + data.size()));
        putU16(fixed, quint16(field.size() / 2));
        data += field;
    }
    fixed.append(6, '\0'); // client id
    for (int i = 0; i < 3; ++i) { // SSPI, attach file, change password
        putU16(fixed, quint16(dataStart + data.size()));
        putU16(fixed, 0);
    }
    putU32(fixed, 0);
    QByteArray login = fixed + data;
    qToLittleEndian<quint32>(quint32(login.size()), login.data());
    return login;
}

QByteArray TdsTestClient::batch(const QString &sql)
{
    return QByteArray::fromHex("16000000"
                               "12000000"
                               "0200"
                               "0000000000000000"
                               "01000000")
        + utf16(sql);
}

QList<TdsToken> TdsTestClient::logIn(
    const QString &user, const QString &password, const QString &database, quint32 packetSize)
{
    if (!sendMessage(0x12, freetdsPrelogin()) || !readAnswer())
        return {};
    if (!sendMessage(0x10, login7(user, password, database, packetSize)))
        return {};
    const auto answer = readAnswer();
    return answer ? parseTokens(answer->payload) : QList<TdsToken> {};
}

QList<TdsToken> TdsTestClient::execute(const QString &sql)
{
    if (!sendMessage(0x01, batch(sql)))
        return {};
    const auto answer = readAnswer();
    return answer ? parseTokens(answer->payload) : QList<TdsToken> {};
}

QList<TdsToken> TdsTestClient::parseTokens(const QByteArray &payload)
{
    QList<TdsToken> tokens;
    Reader in(payload);
    QList<ColumnType> columns;
    while (!in.atEnd() && in.ok()) {
        TdsToken token;
        token.type = in.u8();
        switch (token.type) {
        case Token::Error:
        case Token::Info: {
            in.u16();
            token.number = int(in.u32());
            token.state = in.u8();
            token.level = in.u8();
            token.text = in.chars(in.u16());
            in.chars(in.u8()); // server
            token.procedure = in.chars(in.u8());
            in.u32();
            break;
        }
        case Token::EnvChange: {
            const quint16 length = in.u16();
            const QByteArray body = in.bytes(length);
            if (!body.isEmpty() && body.at(0) != 7) {
                Reader env(body);
                env.u8();
                token.number = quint8(body.at(0));
                token.text = env.chars(env.u8());
            }
            break;
        }
        case Token::LoginAck:
            in.skip(in.u16());
            break;
        case Token::ReturnStatus:
            token.number = int(in.u32());
            break;
        case Token::Done:
        case Token::DoneProc:
        case 0xFF:
            token.status = in.u16();
            in.u16();
            token.count = in.u64();
            break;
        case Token::ColMetadata: {
            columns.clear();
            const int count = in.u16();
            for (int i = 0; i < count && in.ok(); ++i) {
                in.u32();
                in.u16();
                ColumnType column { in.u8(), 0 };
                switch (column.type) {
                case 0xE7:
                case 0xAF:
                    column.size = in.u16();
                    in.skip(5);
                    break;
                case 0xA5:
                    column.size = in.u16();
                    break;
                case 0x6C:
                    column.size = in.u8();
                    in.skip(2);
                    break;
                default: // INTN, GUIDN, BITN
                    column.size = in.u8();
                    break;
                }
                columns << column;
                in.chars(in.u8());
            }
            break;
        }
        case 0xD1: {
            QStringList row;
            for (const ColumnType &column : std::as_const(columns)) {
                if (column.type == 0xE7 || column.type == 0xAF || column.type == 0xA5) {
                    const quint16 length = in.u16();
                    if (length == 0xFFFF)
                        row << QStringLiteral("NULL");
                    else if (column.type == 0xE7)
                        row << in.chars(length / 2);
                    else
                        row << QString::fromLatin1(in.bytes(length));
                } else {
                    const quint8 length = in.u8();
                    const QByteArray bytes = in.bytes(length);
                    qint64 value = 0;
                    if (column.type == 0x26) {
                        for (int b = length - 1; b >= 0; --b)
                            value = (value << 8) | quint8(bytes.at(b));
                    }
                    row << (length == 0 ? QStringLiteral("NULL") : QString::number(value));
                }
            }
            if (!tokens.isEmpty())
                tokens.last().rows << row;
            continue; // rows belong to the COLMETADATA token
        }
        default:
            return tokens; // a token these tests do not read
        }
        tokens << token;
    }
    return tokens;
}

QList<int> messageNumbers(const QList<TdsToken> &tokens)
{
    QList<int> numbers;
    for (const TdsToken &token : tokens) {
        if (token.type == Token::Error || token.type == Token::Info)
            numbers << token.number;
    }
    return numbers;
}

bool hasToken(const QList<TdsToken> &tokens, quint8 type)
{
    return std::any_of(tokens.cbegin(), tokens.cend(), [type](const TdsToken &t) { return t.type == type; });
}

} // namespace hall::test
