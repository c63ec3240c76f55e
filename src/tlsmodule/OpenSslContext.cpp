#include "tlsmodule/OpenSslContext.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "tlsmodule/OpenSslCertificate.h"
#include "tlsmodule/OpenSslConnection.h"

SSL_CTX* OpenSslContext::makeCommon(bool server, Error* err) {
    SSL_CTX* ctx = SSL_CTX_new(server ? TLS_server_method() : TLS_client_method());
    if (!ctx) {
        if (err) *err = takeLibraryError("cannot make a TLS context");
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(ctx, TLS1_3_VERSION);
    // A peer that closes without a close_notify ends the stream like a TCP end does: FTP marks the end of a file
    // by closing the data connection, and clients that skip the alert are common.
    SSL_CTX_set_options(ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION | SSL_OP_ENABLE_KTLS |
                                 SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Writes go out record by record from the socket's own queue, whose pieces may move between retries.
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return ctx;
}

std::shared_ptr<TlsContext> OpenSslContext::server(const TlsCertificate& certificate, Error* err) {
    SSL_CTX* ctx = makeCommon(true, err);
    if (!ctx) return nullptr;
    std::shared_ptr<OpenSslContext> self(new OpenSslContext(ctx, true));
    const TlsCertificateData& data = certificate.data();
    bool ok = SSL_CTX_use_certificate(ctx, data.certificate.get()) == 1 &&
              SSL_CTX_use_PrivateKey(ctx, data.key.get()) == 1 && SSL_CTX_check_private_key(ctx) == 1;
    for (const auto& extra : data.chain) ok = ok && SSL_CTX_add1_chain_cert(ctx, extra.get()) == 1;
    if (!ok) {
        if (err) *err = takeLibraryError("the certificate does not suit its key");
        return nullptr;
    }
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_SERVER);
    // A data connection resumes its control connection's session however long that one has been open.
    SSL_CTX_set_timeout(ctx, 86400);
    SSL_CTX_set_client_hello_cb(ctx, &OpenSslConnection::onClientHello, nullptr);
    SSL_CTX_set_session_ticket_cb(ctx, nullptr, &OpenSslConnection::onTicketDecrypted, nullptr);
    static const unsigned char kContext[] = "velkaro";
    SSL_CTX_set_session_id_context(ctx, kContext, sizeof kContext - 1);
    return self;
}

std::shared_ptr<TlsContext> OpenSslContext::client(const std::string& pinnedFingerprint, Error* err) {
    SSL_CTX* ctx = makeCommon(false, err);
    if (!ctx) return nullptr;
    std::shared_ptr<OpenSslContext> self(new OpenSslContext(ctx, false));
    self->pin_ = pinnedFingerprint;
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(ctx, &OpenSslContext::verifyPinned, self.get());
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT);
    return self;
}

int OpenSslContext::verifyPinned(X509_STORE_CTX* store, void* self) {
    // The pin replaces the chain check: a self-signed certificate has no authority to check it against.
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    bool match = leaf && OpenSslCertificate::fingerprintOf(leaf) == static_cast<OpenSslContext*>(self)->pin_;
    if (!match) X509_STORE_CTX_set_error(store, X509_V_ERR_CERT_REJECTED);
    return match ? 1 : 0;
}

OpenSslContext::~OpenSslContext() { SSL_CTX_free(ctx_); }

std::unique_ptr<TlsConnection> OpenSslContext::newConnection(const TlsOptions& options) const {
    // The connection keeps its context: the client's certificate check reads the pin from it.
    return std::make_unique<OpenSslConnection>(shared_from_this(), options);
}

Error OpenSslContext::takeLibraryError(const char* fallback) {
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return Error{TlsErrorDomain, 0, fallback};
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return Error{TlsErrorDomain, long(code), text};
}
