#pragma once

#include <QString>

#include <memory>

using SSL_CTX = struct ssl_ctx_st;

namespace standin {

// The server side of TLS for every connection: a certificate and its key, either read from PEM files
// or made at start (self-signed, for the host name, localhost and 127.0.0.1; never written anywhere).
class TlsContext
{
public:
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    // Empty paths: a new self-signed certificate. Null with *error set when it cannot be set up.
    static std::unique_ptr<TlsContext> create(
        const QString &certificateFile, const QString &keyFile, const QString &serverName, QString *error);

    SSL_CTX *handle() const { return m_context; }

private:
    explicit TlsContext(SSL_CTX *context)
        : m_context(context)
    { }

    SSL_CTX *m_context;
};

} // namespace standin
