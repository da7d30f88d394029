#include "Login.h"

#include <QList>
#include <QtEndian>

namespace standin {

namespace {

constexpr quint8 OptionVersion = 0x00;
constexpr quint8 OptionEncryption = 0x01;
constexpr quint8 OptionInstance = 0x02;
constexpr quint8 OptionThreadId = 0x03;
constexpr quint8 OptionMars = 0x04;
constexpr quint8 OptionTerminator = 0xFF;
constexpr quint8 EncryptNotSupported = 0x02;

constexpr int Login7FixedSize = 94;

quint16 readU16(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

quint32 readU32(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

quint8 swapNibbles(quint8 value)
{
    return quint8((value << 4) | (value >> 4));
}

} // namespace

quint8 preloginEncryption(const QByteArray &clientPayload)
{
    for (qsizetype at = 0; at + 5 <= clientPayload.size() && quint8(clientPayload.at(at)) != OptionTerminator;
         at += 5) {
        const int offset = (quint8(clientPayload.at(at + 1)) << 8) | quint8(clientPayload.at(at + 2));
        const int length = (quint8(clientPayload.at(at + 3)) << 8) | quint8(clientPayload.at(at + 4));
        if (quint8(clientPayload.at(at)) == OptionEncryption && length >= 1 && offset < clientPayload.size())
            return quint8(clientPayload.at(offset));
    }
    return EncryptNotSupported;
}

QByteArray preloginReply(const QByteArray &clientPayload, const ServerVersion &version, quint8 encryption)
{
    // Options the client listed, in its order; VERSION, ENCRYPTION and MARS always answered.
    QList<quint8> options;
    for (qsizetype at = 0; at + 5 <= clientPayload.size(); at += 5) {
        const quint8 token = quint8(clientPayload.at(at));
        if (token == OptionTerminator)
            break;
        if (token <= OptionMars && !options.contains(token))
            options << token;
    }
    for (quint8 required : { OptionVersion, OptionEncryption, OptionMars }) {
        if (!options.contains(required))
            options << required;
    }

    auto valueOf = [&version, encryption](quint8 option) -> QByteArray {
        switch (option) {
        case OptionVersion: {
            // major, minor, build (big-endian), sub-build
            QByteArray value(6, '\0');
            value[0] = char(version.major);
            value[1] = char(version.minor);
            value[2] = char(version.build >> 8);
            value[3] = char(version.build & 0xFF);
            return value;
        }
        case OptionEncryption:
            return QByteArray(1, char(encryption));
        case OptionInstance:
            return QByteArray(1, '\0');
        case OptionMars:
            return QByteArray(1, '\0');
        default:
            return QByteArray(); // THREADID: empty in answers
        }
    };

    const qsizetype tableSize = options.size() * 5 + 1;
    QByteArray table;
    QByteArray data;
    for (quint8 option : options) {
        const QByteArray value = valueOf(option);
        const quint16 offset = quint16(tableSize + data.size());
        table.append(char(option));
        table.append(char(offset >> 8));
        table.append(char(offset & 0xFF));
        table.append(char(value.size() >> 8));
        table.append(char(value.size() & 0xFF));
        data += value;
    }
    table.append(char(OptionTerminator));
    return table + data;
}

QByteArray scramblePassword(const QString &password)
{
    QByteArray bytes;
    for (const QChar c : password) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    for (char &b : bytes)
        b = char(swapNibbles(quint8(b)) ^ 0xA5);
    return bytes;
}

QString unscramblePassword(const QByteArray &scrambled)
{
    QString password;
    for (qsizetype i = 0; i + 1 < scrambled.size(); i += 2) {
        const quint8 low = swapNibbles(quint8(scrambled.at(i)) ^ 0xA5);
        const quint8 high = swapNibbles(quint8(scrambled.at(i + 1)) ^ 0xA5);
        password.append(QChar(char16_t(low | (high << 8))));
    }
    return password;
}

std::optional<Login7> parseLogin7(const QByteArray &payload)
{
    if (payload.size() < Login7FixedSize)
        return std::nullopt;
    Login7 login;
    login.tdsVersion = readU32(payload, 4);
    login.packetSize = readU32(payload, 8);
    login.integratedSecurity = (quint8(payload.at(25)) & 0x80) != 0;

    bool ok = true;
    auto text = [&](int fieldOffset) -> QString {
        const quint16 offset = readU16(payload, fieldOffset);
        const quint16 characters = readU16(payload, fieldOffset + 2);
        if (characters == 0)
            return QString();
        if (qsizetype(offset) + 2 * qsizetype(characters) > payload.size()) {
            ok = false;
            return QString();
        }
        QString result;
        result.reserve(characters);
        for (int i = 0; i < characters; ++i)
            result.append(QChar(char16_t(readU16(payload, offset + 2 * i))));
        return result;
    };
    login.hostName = text(36);
    login.userName = text(40);
    {
        const quint16 offset = readU16(payload, 44);
        const quint16 characters = readU16(payload, 46);
        if (qsizetype(offset) + 2 * qsizetype(characters) > payload.size())
            return std::nullopt;
        login.password = unscramblePassword(payload.mid(offset, 2 * characters));
    }
    login.appName = text(48);
    login.serverName = text(52);
    login.libraryName = text(60);
    login.language = text(64);
    login.database = text(68);
    if (!ok)
        return std::nullopt;
    return login;
}

quint32 negotiatedTdsVersion(quint32 clientVersion)
{
    // The stand-in writes 7.2+ token formats (8-byte row counts, 4-byte line numbers).
    switch (clientVersion) {
    case 0x72090002:
    case 0x730A0003:
    case 0x730B0003:
    case 0x74000004:
        return clientVersion;
    default:
        return 0x74000004;
    }
}

} // namespace standin
