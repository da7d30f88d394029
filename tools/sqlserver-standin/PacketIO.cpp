#include "PacketIO.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace standin {

Socket::Socket(int fd)
    : m_fd(fd)
{ }

Socket::~Socket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

template<typename Call> bool Socket::throughLayer(Call call)
{
    SecureLayer *layer = std::exchange(m_layer, nullptr);
    const bool ok = call(*layer);
    if (layer->active())
        m_layer = layer;
    return ok;
}

Socket::Wait Socket::waitReadable(int timeoutMs) const
{
    if (m_layer && m_layer->hasBufferedInput())
        return Wait::Readable;
    pollfd descriptor { m_fd, POLLIN, 0 };
    while (true) {
        const int ready = ::poll(&descriptor, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Wait::Failed;
        if (ready == 0)
            return Wait::Timeout;
        return Wait::Readable;
    }
}

bool Socket::readExactly(char *buffer, qsizetype size)
{
    if (m_layer)
        return throughLayer([&](SecureLayer &layer) { return layer.read(buffer, size); });
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = ::recv(m_fd, buffer + done, size_t(size - done), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool Socket::writeAll(const QByteArray &data)
{
    if (m_layer)
        return throughLayer([&](SecureLayer &layer) { return layer.write(data); });
    const QDeadlineTimer deadline
        = m_sendTimeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(m_sendTimeoutMs);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t sent
            = ::send(m_fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The client's buffers are full: wait for room, but not past the deadline.
            pollfd descriptor { m_fd, POLLOUT, 0 };
            const int ready
                = ::poll(&descriptor, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
            m_sendTimedOut = ready == 0;
            if (ready == 0 || (ready < 0 && errno != EINTR))
                return false;
            continue;
        }
        if (sent <= 0)
            return false;
        done += sent;
    }
    return true;
}

void Socket::shutdown()
{
    ::shutdown(m_fd, SHUT_RDWR);
}

MessageReader::MessageReader(Socket &socket)
    : m_socket(socket)
{ }

MessageReader::Poll MessageReader::pollForAttention(int timeoutMs)
{
    int wait = timeoutMs;
    while (m_socket.waitReadable(wait) == Socket::Wait::Readable) {
        wait = 0;
        std::optional<TdsMessage> message = readFromSocket();
        if (!message)
            return Poll::Closed;
        if (message->type == PacketType::Attention)
            return Poll::Attention;
        m_pending << *message;
    }
    return Poll::Nothing;
}

std::optional<TdsMessage> MessageReader::read()
{
    if (!m_pending.isEmpty())
        return m_pending.takeFirst();
    return readFromSocket();
}

std::optional<TdsMessage> MessageReader::readFromSocket()
{
    TdsMessage message;
    bool first = true;
    while (true) {
        char header[PacketHeaderSize];
        if (!m_socket.readExactly(header, PacketHeaderSize)) {
            m_error = first ? QStringLiteral("connection closed")
                            : QStringLiteral("connection closed mid-message");
            return std::nullopt;
        }
        const quint8 type = quint8(header[0]);
        const quint8 status = quint8(header[1]);
        const int length = (quint8(header[2]) << 8) | quint8(header[3]);
        if (length < PacketHeaderSize || (!first && type != message.type)) {
            m_error = QStringLiteral("malformed packet");
            return std::nullopt;
        }
        QByteArray payload(length - PacketHeaderSize, Qt::Uninitialized);
        if (!payload.isEmpty() && !m_socket.readExactly(payload.data(), payload.size())) {
            m_error = QStringLiteral("connection closed mid-packet");
            return std::nullopt;
        }
        if (message.payload.size() + payload.size() > m_limit) {
            m_error = QStringLiteral("message too large");
            return std::nullopt;
        }
        message.type = type;
        message.status = status;
        message.payload += payload;
        first = false;
        if (status & PacketStatus::EndOfMessage)
            return message;
    }
}

MessageWriter::MessageWriter(Socket &socket, quint16 spid)
    : m_socket(socket)
    , m_spid(spid)
{ }

void MessageWriter::setPacketSize(int size)
{
    m_packetSize = qBound(512, size, 32767);
}

bool MessageWriter::sendPacket(const QByteArray &payload, bool last)
{
    if (m_failed)
        return false;
    const int length = PacketHeaderSize + int(payload.size());
    QByteArray packet;
    packet.reserve(length);
    packet.append(char(PacketType::Reply));
    packet.append(char(last ? PacketStatus::EndOfMessage : 0));
    packet.append(char(length >> 8));
    packet.append(char(length & 0xFF));
    packet.append(char(m_spid >> 8));
    packet.append(char(m_spid & 0xFF));
    packet.append(char(1)); // packet id: receivers ignore it
    packet.append(char(0));
    packet.append(payload);
    if (!m_socket.writeAll(packet))
        m_failed = true;
    return !m_failed;
}

bool MessageWriter::append(const QByteArray &tokens)
{
    m_buffer += tokens;
    const qsizetype room = m_packetSize - PacketHeaderSize;
    // Keep at least one byte back so the message can always end with a packet that has EOM.
    while (m_buffer.size() > room) {
        if (!sendPacket(m_buffer.left(room), false))
            return false;
        m_buffer.remove(0, room);
    }
    return !m_failed;
}

bool MessageWriter::flush()
{
    if (m_buffer.isEmpty())
        return !m_failed;
    const bool ok = sendPacket(m_buffer, false);
    m_buffer.clear();
    return ok;
}

bool MessageWriter::endMessage()
{
    const bool ok = sendPacket(m_buffer, true);
    m_buffer.clear();
    return ok;
}

} // namespace standin
