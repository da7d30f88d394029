#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpSocket>

#include <optional>

namespace hall::test {

// A token of a server answer, as far as the tests look at it.
struct TdsToken
{
    quint8 type = 0;
    int number = 0; // INFO/ERROR number, RETURNSTATUS value
    int state = 0;
    int level = 0;
    QString text; // message text; for ENVCHANGE the new value
    QString procedure; // INFO/ERROR
    quint16 status = 0; // DONE*
    quint64 count = 0; // DONE*
    QList<QStringList> rows; // COLMETADATA: the rows that follow, as text
};

// A deliberately small TDS client for protocol tests: it builds PRELOGIN, LOGIN7 and batches the way
// FreeTDS does and reads answers packet by packet, so tests can look at framing and tokens.
class TdsTestClient
{
public:
    struct Answer
    {
        QByteArray payload;
        QList<int> packetLengths;
        QList<quint8> packetStatuses;
    };

    bool connectTo(quint16 port);
    bool sendPacket(quint8 type, quint8 status, const QByteArray &payload);
    // Sends a message cut into packets of at most packetSize bytes.
    bool sendMessage(quint8 type, const QByteArray &payload, int packetSize = 4096);
    // Reads packets up to one with EOM; nullopt on timeout or when the server closed the connection.
    std::optional<Answer> readAnswer(int timeoutMs = 10000);
    // Reads one packet, with or without EOM.
    std::optional<Answer> readPacket(int timeoutMs = 10000);
    // Reads whatever arrives within timeoutMs (to see partial answers).
    QByteArray readAvailable(int timeoutMs);
    bool waitForClosed(int timeoutMs = 10000);

    // PRELOGIN and LOGIN7; returns the login answer's tokens (empty when there was no answer).
    QList<TdsToken> logIn(const QString &user, const QString &password, const QString &database = QString(),
        quint32 packetSize = 4096);
    // Sends a batch and returns the answer's tokens.
    QList<TdsToken> execute(const QString &sql);

    static QByteArray freetdsPrelogin();
    static QByteArray login7(
        const QString &user, const QString &password, const QString &database, quint32 packetSize);
    static QByteArray batch(const QString &sql);
    static QList<TdsToken> parseTokens(const QByteArray &payload);

    QTcpSocket &socket() { return m_socket; }

private:
    bool readExactly(QByteArray &into, qsizetype size, int timeoutMs);

    QTcpSocket m_socket;
    QByteArray m_buffer;
};

// Token type bytes.
namespace Token {
constexpr quint8 ColMetadata = 0x81;
constexpr quint8 ReturnStatus = 0x79;
constexpr quint8 Error = 0xAA;
constexpr quint8 Info = 0xAB;
constexpr quint8 LoginAck = 0xAD;
constexpr quint8 EnvChange = 0xE3;
constexpr quint8 Done = 0xFD;
constexpr quint8 DoneProc = 0xFE;
} // namespace Token

QList<int> messageNumbers(const QList<TdsToken> &tokens);
bool hasToken(const QList<TdsToken> &tokens, quint8 type);

} // namespace hall::test
