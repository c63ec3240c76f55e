#pragma once
#include <openssl/types.h>

#include <memory>
#include <string>

#include "net/TlsContext.h"

/// A TlsContext over an OpenSSL context (see `TlsContext` for what it promises).
class OpenSslContext : public TlsContext, public std::enable_shared_from_this<OpenSslContext> {
public:
    static std::shared_ptr<TlsContext> server(const TlsCertificate& certificate, Error* err);
    static std::shared_ptr<TlsContext> client(const std::string& pinnedFingerprint, Error* err);
    ~OpenSslContext() override;

    SSL_CTX* native() const { return ctx_; }
    bool isServer() const override { return server_; }
    std::unique_ptr<TlsConnection> newConnection(const TlsOptions& options) const override;

    /// The library's pending error (cleared) as an error value in `TlsErrorDomain`, or `fallback` when none is queued.
    static Error takeLibraryError(const char* fallback);

private:
    OpenSslContext(SSL_CTX* ctx, bool server) : ctx_(ctx), server_(server) {}
    static SSL_CTX* makeCommon(bool server, Error* err);
    static int verifyPinned(X509_STORE_CTX* store, void* self);

    SSL_CTX* ctx_;
    bool server_;
    std::string pin_;  // client: the only accepted fingerprint
};
