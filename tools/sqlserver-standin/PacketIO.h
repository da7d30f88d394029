#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace standin {

namespace PacketType {
constexpr quint8 SqlBatch = 0x01;
constexpr quint8 Rpc = 0x03;
constexpr quint8 Reply = 0x04;
constexpr quint8 Attention = 0x06;
constexpr quint8 TransactionManager = 0x0E;
constexpr quint8 Login7 = 0x10;
constexpr quint8 Prelogin = 0x12;
} // namespace PacketType

namespace PacketStatus {
constexpr quint8 EndOfMessage = 0x01;
constexpr quint8 Ignore = 0x02;
} // namespace PacketStatus

constexpr int PacketHeaderSize = 8;
constexpr int DefaultPacketSize = 4096;
// A batch larger than this is refused rather than buffered without bound.
constexpr qsizetype MaxMessageSize = 64 * 1024 * 1024;
// Pre-login and log-on messages are far smaller; a larger one is refused.
constexpr qsizetype MaxLogonMessageSize = 64 * 1024;

// Encryption between a socket and the messages it carries.
class SecureLayer
{
public:
    virtual ~SecureLayer() = default;
    virtual bool read(char *buffer, qsizetype size) = 0;
    virtual bool write(const QByteArray &data) = 0;
    // Decrypted input waiting to be read, which polling the socket would not show.
    virtual bool hasBufferedInput() const = 0;
    // False once the layer is done (log-on-only encryption): the socket is plain again.
    virtual bool active() const = 0;
};

// A connected TCP socket with blocking reads and writes and a bounded wait for input.
class Socket
{
public:
    explicit Socket(int fd);
    ~Socket();
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    enum class Wait { Readable, Timeout, Failed };
    // Waits for input; a negative timeout waits for ever. End of stream counts as readable.
    Wait waitReadable(int timeoutMs) const;
    bool readExactly(char *buffer, qsizetype size);
    // Fails when the client has not taken all of the data within the send time-out.
    bool writeAll(const QByteArray &data);
    // How long one writeAll() may wait for a client that does not read; negative waits for ever.
    void setSendTimeout(int timeoutMs) { m_sendTimeoutMs = timeoutMs; }
    // Whether a writeAll() failed because the send time-out passed.
    bool sendTimedOut() const { return m_sendTimedOut; }
    // Wakes up any blocked read (used to stop the server) without closing the descriptor.
    void shutdown();
    int fd() const { return m_fd; }
    // Reads and writes go through the layer from now on (null: plain). While the layer works, the
    // socket is plain for it, so it reaches the wire through the same calls.
    void setSecureLayer(SecureLayer *layer) { m_layer = layer; }
    SecureLayer *secureLayer() const { return m_layer; }

private:
    template<typename Call> bool throughLayer(Call call);

    int m_fd;
    int m_sendTimeoutMs = -1;
    bool m_sendTimedOut = false;
    SecureLayer *m_layer = nullptr;
};

// One client message: the payloads of its packets up to the one that has EOM.
struct TdsMessage
{
    quint8 type = 0;
    quint8 status = 0; // status of the last packet
    QByteArray payload;
};

// Reads whole messages and keeps those that arrive while an answer is being sent.
class MessageReader
{
public:
    explicit MessageReader(Socket &socket);

    // Blocks for the next message; nullopt when the client closed or broke the framing.
    std::optional<TdsMessage> read();
    enum class Poll { Nothing, Attention, Closed };
    // Reads the messages already waiting on the socket, waiting at most timeoutMs for the first.
    // An attention among them is reported; other messages are kept for read().
    Poll pollForAttention(int timeoutMs);
    QString errorString() const { return m_error; }
    // The largest message read() takes; a larger one ends the connection.
    void setMessageLimit(qsizetype bytes) { m_limit = bytes; }

private:
    std::optional<TdsMessage> readFromSocket();

    Socket &m_socket;
    QList<TdsMessage> m_pending;
    QString m_error;
    qsizetype m_limit = MaxMessageSize;
};

// Cuts an answer into packets of the negotiated size; only the last packet of a message has EOM.
class MessageWriter
{
public:
    MessageWriter(Socket &socket, quint16 spid);

    void setPacketSize(int size);
    int packetSize() const { return m_packetSize; }
    // Queues tokens; full packets go out at once.
    bool append(const QByteArray &tokens);
    // Sends what is queued as a packet without EOM, so the client sees it now.
    bool flush();
    // Sends the rest of the message with EOM (an empty final packet if nothing is queued).
    bool endMessage();
    // Forgets what is queued but not yet sent.
    void discard() { m_buffer.clear(); }
    bool failed() const { return m_failed; }

private:
    bool sendPacket(const QByteArray &payload, bool last);

    Socket &m_socket;
    quint16 m_spid;
    int m_packetSize = DefaultPacketSize;
    QByteArray m_buffer;
    bool m_failed = false;
};

} // namespace standin
