#include "TlsChannel.h"

#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>

namespace standin {

namespace {

constexpr int TlsRecordHeaderSize = 5;
constexpr int MaxTlsRecordSize = 16384 + 2048;
constexpr qsizetype MaxHandshakeMessage = 64 * 1024;

QString tlsError()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

} // namespace

EncryptionChoice chooseEncryption(quint8 client, bool available, bool forced)
{
    using Mode = EncryptionChoice::Mode;
    if (!available)
        return { Encryption::NotSupported, Mode::None };
    switch (client & 0x0F) {
    case Encryption::Off:
        return forced ? EncryptionChoice { Encryption::Required, Mode::Full }
                      : EncryptionChoice { Encryption::Off, Mode::LoginOnly };
    case Encryption::On:
    case Encryption::Required:
        return { Encryption::On, Mode::Full };
    default:
        return forced ? EncryptionChoice { Encryption::Required, Mode::Refused }
                      : EncryptionChoice { Encryption::NotSupported, Mode::None };
    }
}

TlsChannel::TlsChannel(SSL *ssl, BIO *in, BIO *out, Socket &socket, bool loginOnly)
    : m_ssl(ssl)
    , m_in(in)
    , m_out(out)
    , m_socket(socket)
    , m_loginOnly(loginOnly)
{ }

TlsChannel::~TlsChannel()
{
    if (m_socket.secureLayer() == this)
        m_socket.setSecureLayer(nullptr);
    SSL_free(m_ssl); // frees both memory BIOs too
}

std::unique_ptr<TlsChannel> TlsChannel::start(
    const TlsContext &context, Socket &socket, bool loginOnly, QString *error)
{
    SSL *ssl = SSL_new(context.handle());
    BIO *in = BIO_new(BIO_s_mem());
    BIO *out = BIO_new(BIO_s_mem());
    if (!ssl || !in || !out) {
        SSL_free(ssl);
        BIO_free(in);
        BIO_free(out);
        *error = tlsError();
        return nullptr;
    }
    SSL_set_bio(ssl, in, out);
    SSL_set_accept_state(ssl);
    std::unique_ptr<TlsChannel> channel(new TlsChannel(ssl, in, out, socket, loginOnly));
    if (!channel->handshake(error))
        return nullptr;
    socket.setSecureLayer(channel.get());
    return channel;
}

bool TlsChannel::handshake(QString *error)
{
    while (true) {
        const int result = SSL_do_handshake(m_ssl);
        const int reason = SSL_get_error(m_ssl, result);
        if (BIO_ctrl_pending(m_out) > 0 && !sendHandshakeMessage()) {
            *error = QStringLiteral("the client left during the TLS handshake");
            return false;
        }
        if (result == 1)
            return true;
        if (reason != SSL_ERROR_WANT_READ) {
            *error = QStringLiteral("TLS handshake failed: %1").arg(tlsError());
            return false;
        }
        if (!readHandshakeMessage()) {
            *error = QStringLiteral("the client left or broke the framing during the TLS handshake");
            return false;
        }
    }
}

bool TlsChannel::readHandshakeMessage()
{
    qsizetype total = 0;
    while (true) {
        char header[PacketHeaderSize];
        if (!m_socket.readExactly(header, PacketHeaderSize) || quint8(header[0]) != PacketType::Prelogin)
            return false;
        const int length = (quint8(header[2]) << 8) | quint8(header[3]);
        total += length;
        if (length < PacketHeaderSize || total > MaxHandshakeMessage)
            return false;
        QByteArray payload(length - PacketHeaderSize, Qt::Uninitialized);
        if (!payload.isEmpty() && !m_socket.readExactly(payload.data(), payload.size()))
            return false;
        BIO_write(m_in, payload.constData(), int(payload.size()));
        if (quint8(header[1]) & PacketStatus::EndOfMessage)
            return true;
    }
}

bool TlsChannel::sendHandshakeMessage()
{
    QByteArray output = takeOutput();
    constexpr qsizetype room = DefaultPacketSize - PacketHeaderSize;
    while (!output.isEmpty()) {
        const QByteArray part = output.left(room);
        output.remove(0, part.size());
        const int length = PacketHeaderSize + int(part.size());
        QByteArray packet;
        packet.append(char(PacketType::Prelogin));
        packet.append(char(output.isEmpty() ? PacketStatus::EndOfMessage : 0));
        packet.append(char(length >> 8));
        packet.append(char(length & 0xFF));
        packet.append(QByteArray(4, '\0')); // SPID, packet id, window
        if (!m_socket.writeAll(packet + part))
            return false;
    }
    return true;
}

QByteArray TlsChannel::takeOutput()
{
    QByteArray output(qsizetype(BIO_ctrl_pending(m_out)), Qt::Uninitialized);
    if (!output.isEmpty())
        BIO_read(m_out, output.data(), int(output.size()));
    return output;
}

bool TlsChannel::readRecord()
{
    char header[TlsRecordHeaderSize];
    if (!m_socket.readExactly(header, TlsRecordHeaderSize))
        return false;
    const int length = (quint8(header[3]) << 8) | quint8(header[4]);
    if (length > MaxTlsRecordSize)
        return false;
    QByteArray record(header, TlsRecordHeaderSize);
    record.resize(TlsRecordHeaderSize + length);
    if (length > 0 && !m_socket.readExactly(record.data() + TlsRecordHeaderSize, length))
        return false;
    return BIO_write(m_in, record.constData(), int(record.size())) == record.size();
}

bool TlsChannel::read(char *buffer, qsizetype size)
{
    while (m_plain.size() < size) {
        char chunk[16384];
        const int got = SSL_read(m_ssl, chunk, sizeof chunk);
        if (got > 0) {
            m_plain.append(chunk, got);
            continue;
        }
        if (SSL_get_error(m_ssl, got) != SSL_ERROR_WANT_READ || !readRecord())
            return false;
    }
    if (m_loginOnly && m_firstPacketLeft < 0 && m_plain.size() >= 4)
        m_firstPacketLeft = (quint8(m_plain.at(2)) << 8) | quint8(m_plain.at(3));
    std::memcpy(buffer, m_plain.constData(), size_t(size));
    m_plain.remove(0, size);
    if (m_loginOnly && (m_firstPacketLeft -= size) <= 0)
        m_active = false; // the log-on packet is in: the rest of the connection is plain
    return true;
}

bool TlsChannel::write(const QByteArray &data)
{
    if (!data.isEmpty() && SSL_write(m_ssl, data.constData(), int(data.size())) <= 0)
        return false;
    return m_socket.writeAll(takeOutput());
}

bool TlsChannel::hasBufferedInput() const
{
    return !m_plain.isEmpty() || SSL_pending(m_ssl) > 0;
}

} // namespace standin
