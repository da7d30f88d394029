#pragma once

#include "ServerVersion.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace standin {

// The PRELOGIN answer: the options the client sent, in its order, with the server's values (the
// given ENCRYPTION answer, no MARS).
QByteArray preloginReply(
    const QByteArray &clientPayload, const ServerVersion &version = {}, quint8 encryption = 0x02);
// The client's PRELOGIN ENCRYPTION value (0x02, not supported, when it sent none).
quint8 preloginEncryption(const QByteArray &clientPayload);

// What the stand-in reads from a LOGIN7 message.
struct Login7
{
    quint32 tdsVersion = 0;
    quint32 packetSize = 0;
    bool integratedSecurity = false;
    QString hostName;
    QString userName;
    QString password; // decoded
    QString appName;
    QString serverName;
    QString libraryName;
    QString language;
    QString database;
};

std::optional<Login7> parseLogin7(const QByteArray &payload);

// The password scrambling of LOGIN7, both ways (the encoder serves tests).
QByteArray scramblePassword(const QString &password);
QString unscramblePassword(const QByteArray &scrambled);

// The TDS version the server confirms: the client's, when the stand-in speaks it, else 7.4.
quint32 negotiatedTdsVersion(quint32 clientVersion);

} // namespace standin
