#pragma once
#include <openssl/types.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Error.h"

class TlsContext;

/// A TLS session one connection can hand to the next (a client resuming it).
using TlsSession = std::shared_ptr<struct ssl_session_st>;

/// How a connection starts TLS.
struct TlsOptions {
    /// Server: sessions resume only between connections started with the same context (at most 32 bytes), so an
    /// FTP data connection can resume its own control connection's session and no other.
    std::string sessionContext;
    /// Client: offers this session to be resumed.
    TlsSession resume;
    /// Server: issue no session tickets (connections nobody resumes from).
    bool noTickets = false;
};

/// One connection's TLS state over a non-blocking socket descriptor (not owned): handshake, record reads and
/// writes, file sends through kernel TLS where the system has it, and the closing alert. Each call does what the
/// socket allows now and says what it waits for; nothing blocks. One thread at a time.
class TlsConnection {
public:
    enum class Status { Done, WantRead, WantWrite, Ended, Failed };
    struct Result {
        Status status;
        std::size_t bytes = 0;  ///< bytes read or written (Done)
    };

    /// Takes its role (server or client) from `context`.
    TlsConnection(std::shared_ptr<TlsContext> context, const TlsOptions& options);
    ~TlsConnection();
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    /// Goes on with the handshake over `fd` (not owned; the same one every time): Done once it completed.
    Status handshake(int fd);
    bool isEstablished() const { return established_; }
    /// Up to `length` decrypted bytes; Ended at the peer's closing alert or end of stream.
    Result read(char* into, std::size_t length);
    /// Encrypts and sends up to `length` bytes (whole records); after WantRead/WantWrite the caller retries with the
    /// same bytes.
    Result write(const char* bytes, std::size_t length);
    /// Sends up to `length` bytes of `file` from `offset` straight from the page cache; only with `kernelSends`.
    Result sendFile(int file, off_t offset, std::size_t length);
    /// The kernel encrypts what this connection sends (so files go without a copy through this process).
    bool kernelSends() const;
    /// Decrypted or received bytes wait inside the library, so no readiness event will announce them.
    bool hasPending() const;
    /// Sends the closing alert if the connection is still sound; does not wait for the peer's.
    void shutdown();

    /// After a failure: what went wrong.
    const Error& error() const { return error_; }
    /// The handshake resumed an earlier session.
    bool resumed() const;
    /// Server: the client offered a session to resume (whether or not it was resumed).
    bool offeredResumption() const { return offeredResumption_; }
    /// The current session, for another connection to resume.
    TlsSession session() const;

    /// Notes whether a client offered a session; a server context installs it.
    static int onClientHello(SSL* ssl, int* alert, void* arg);

private:
    Status settle(int returned, const char* what);

    std::shared_ptr<TlsContext> context_;
    SSL* ssl_ = nullptr;
    bool established_ = false;
    bool failed_ = false;
    bool offeredResumption_ = false;
    Error error_;
};
