#include "TlsContext.h"

#include <QFile>

#include <ctime>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace standin {

namespace {

template<typename T, void (*Free)(T *)> struct Freer
{
    void operator()(T *p) const { Free(p); }
};
using KeyPointer = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using CertificatePointer = std::unique_ptr<X509, Freer<X509, X509_free>>;
using ContextPointer = std::unique_ptr<SSL_CTX, Freer<SSL_CTX, SSL_CTX_free>>;

QString openSslError()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

bool addExtension(X509 *certificate, int nid, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension)
        return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// A P-256 key and a certificate for it, signed by itself, valid from a day ago for a year.
bool makeSelfSigned(SSL_CTX *context, const QString &serverName)
{
    KeyPointer key(EVP_EC_gen("P-256"));
    CertificatePointer certificate(X509_new());
    if (!key || !certificate)
        return false;
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), long(std::time(nullptr)));
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -24 * 3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 365L * 24 * 3600);
    X509_NAME *name = X509_get_subject_name(certificate.get());
    const QByteArray commonName = serverName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
        reinterpret_cast<const unsigned char *>(commonName.constData()), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    const QByteArray alternatives = "DNS:localhost,IP:127.0.0.1,DNS:" + commonName;
    return addExtension(certificate.get(), NID_subject_alt_name, alternatives.constData())
        && X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0
        && SSL_CTX_use_certificate(context, certificate.get()) == 1
        && SSL_CTX_use_PrivateKey(context, key.get()) == 1;
}

} // namespace

TlsContext::~TlsContext()
{
    SSL_CTX_free(m_context);
}

std::unique_ptr<TlsContext> TlsContext::create(
    const QString &certificateFile, const QString &keyFile, const QString &serverName, QString *error)
{
    ContextPointer context(SSL_CTX_new(TLS_server_method()));
    if (!context) {
        *error = QStringLiteral("cannot set up TLS: %1").arg(openSslError());
        return nullptr;
    }
    // TLS 1.2, as SQL Server speaks it with TDS 7.x: clients carry the handshake in PRELOGIN packets
    // and send each flight only when they wait for the server's, which TLS 1.3's last flight breaks.
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_options(context.get(), SSL_OP_NO_TICKET);
    if (certificateFile.isEmpty()) {
        if (!makeSelfSigned(context.get(), serverName)) {
            *error = QStringLiteral("cannot make a self-signed certificate: %1").arg(openSslError());
            return nullptr;
        }
    } else {
        const QByteArray certificatePath = QFile::encodeName(certificateFile);
        const QByteArray keyPath = QFile::encodeName(keyFile);
        if (SSL_CTX_use_certificate_chain_file(context.get(), certificatePath.constData()) != 1) {
            *error = QStringLiteral("--certificate %1: %2").arg(certificateFile, openSslError());
            return nullptr;
        }
        if (SSL_CTX_use_PrivateKey_file(context.get(), keyPath.constData(), SSL_FILETYPE_PEM) != 1
            || SSL_CTX_check_private_key(context.get()) != 1) {
            *error = QStringLiteral("--key %1: %2").arg(keyFile, openSslError());
            return nullptr;
        }
    }
    return std::unique_ptr<TlsContext>(new TlsContext(context.release()));
}

} // namespace standin
