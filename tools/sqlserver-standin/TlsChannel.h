#pragma once

#include "PacketIO.h"
#include "TlsContext.h"

#include <memory>

using SSL = struct ssl_st;
using BIO = struct bio_st;

namespace standin {

namespace Encryption {
// The PRELOGIN ENCRYPTION option's values.
constexpr quint8 Off = 0x00;
constexpr quint8 On = 0x01;
constexpr quint8 NotSupported = 0x02;
constexpr quint8 Required = 0x03;
} // namespace Encryption

// The server's answer to the client's ENCRYPTION option and what follows from it.
struct EncryptionChoice
{
    enum class Mode { None, LoginOnly, Full, Refused };
    quint8 answer = Encryption::NotSupported;
    Mode mode = Mode::None;
};

// As a server with a certificate answers: a client that asks for encryption gets it for the whole
// connection; one that leaves it off gets its log-on packet encrypted; one that cannot encrypt gets
// none, or is refused when encryption is forced.
EncryptionChoice chooseEncryption(quint8 client, bool available, bool forced);

// TLS on one connection. The handshake travels inside PRELOGIN packets; after it, TLS records go on
// the wire as they are, carrying the TDS packets. In log-on-only mode just the client's next packet
// (the first of its LOGIN7) is encrypted and everything after it is plain.
class TlsChannel : public SecureLayer
{
public:
    ~TlsChannel() override;

    // Runs the handshake; null with *error set when it fails. The socket reads and writes through
    // the channel from then on.
    static std::unique_ptr<TlsChannel> start(
        const TlsContext &context, Socket &socket, bool loginOnly, QString *error);

    bool read(char *buffer, qsizetype size) override;
    bool write(const QByteArray &data) override;
    bool hasBufferedInput() const override;
    bool active() const override { return m_active; }

private:
    TlsChannel(SSL *ssl, BIO *in, BIO *out, Socket &socket, bool loginOnly);

    bool handshake(QString *error);
    // One TDS message of handshake bytes from the client (PRELOGIN packets up to EOM).
    bool readHandshakeMessage();
    // What TLS has written so far, as PRELOGIN packets ending with EOM.
    bool sendHandshakeMessage();
    // One TLS record from the wire into the TLS input.
    bool readRecord();
    QByteArray takeOutput();

    SSL *m_ssl;
    BIO *m_in;
    BIO *m_out;
    Socket &m_socket;
    const bool m_loginOnly;
    bool m_active = true;
    qint64 m_firstPacketLeft = -1; // log-on-only mode: bytes of the encrypted packet not yet read
    QByteArray m_plain; // decrypted bytes not yet read
};

} // namespace standin
