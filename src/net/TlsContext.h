#pragma once
#include <openssl/types.h>

#include <memory>
#include <string>

#include "platform/Error.h"

class TlsCertificate;

/// The shared settings of one side's TLS connections (an OpenSSL context): TLS 1.2 and 1.3 only with the library's
/// default ciphers, no compression, no renegotiation, kernel TLS asked for where the system offers it. A server
/// context holds its certificate and keeps a session cache so data connections can resume the control connection's
/// session. Immutable once made; share it between connections (`std::shared_ptr`).
class TlsContext {
public:
    /// A server context presenting `certificate`; null with `err` filled when the library refuses it.
    static std::shared_ptr<TlsContext> server(const TlsCertificate& certificate, Error* err = nullptr);
    /// A client context that accepts exactly the server certificate whose SHA-256 fingerprint (as
    /// `TlsCertificate::fingerprint` prints it) is `pinnedFingerprint`, and nothing else.
    static std::shared_ptr<TlsContext> client(std::string pinnedFingerprint, Error* err = nullptr);

    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* native() const { return ctx_; }
    bool isServer() const { return server_; }

    /// The library's pending error (cleared) as an error value in `TlsErrorDomain`, or `fallback` when none is queued.
    static Error takeLibraryError(const char* fallback);

private:
    TlsContext(SSL_CTX* ctx, bool server) : ctx_(ctx), server_(server) {}
    static SSL_CTX* makeCommon(bool server, Error* err);
    static int verifyPinned(X509_STORE_CTX* store, void* self);

    SSL_CTX* ctx_;
    bool server_;
    std::string pin_;  // client: the only accepted fingerprint
};

/// Domain of TLS failures: the code is the library's error code (0 when the peer just went away), the
/// description its text.
inline constexpr const char* TlsErrorDomain = "TlsErrorDomain";
