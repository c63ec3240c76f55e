#pragma once
#include <memory>
#include <string>

#include "net/TlsConnection.h"
#include "platform/Error.h"

class TlsCertificate;

/// The shared settings of one side's TLS connections: TLS 1.2 and 1.3 only with the library's default ciphers, no
/// compression, no renegotiation, kernel TLS asked for where the system offers it. A server context holds its
/// certificate and keeps a session cache so data connections can resume the control connection's session.
/// Immutable once made; share it between connections (`std::shared_ptr`). The TLS module makes it, loaded the first
/// time a context is asked for.
class TlsContext {
public:
    /// A server context presenting `certificate`; null with `err` filled when the library refuses it or the TLS
    /// module cannot be loaded.
    static std::shared_ptr<TlsContext> server(const TlsCertificate& certificate, Error* err = nullptr);
    /// A client context that accepts exactly the server certificate whose SHA-256 fingerprint (as
    /// `TlsCertificate::fingerprint` prints it) is `pinnedFingerprint`, and nothing else; null as `server`.
    static std::shared_ptr<TlsContext> client(const std::string& pinnedFingerprint, Error* err = nullptr);

    virtual ~TlsContext() = default;
    virtual bool isServer() const = 0;
    /// A connection in this context's role that has not started its handshake; a failure to make one shows as a
    /// failed handshake.
    virtual std::unique_ptr<TlsConnection> newConnection(const TlsOptions& options) const = 0;
};

/// Domain of TLS failures: the code is the library's error code (0 when the peer just went away or the TLS module
/// is missing), the description its text.
inline constexpr const char* TlsErrorDomain = "TlsErrorDomain";
