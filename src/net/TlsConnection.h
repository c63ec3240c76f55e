#pragma once
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/Error.h"

class TlsContext;

/// A TLS session one connection can hand to the next (a client resuming it); what it holds is the TLS module's.
struct TlsSessionData;
using TlsSession = std::shared_ptr<TlsSessionData>;

/// How a connection starts TLS.
struct TlsOptions {
    /// Server: sessions resume only between connections started with the same context (at most 32 bytes), or
    /// where `adoptSession` lets them: an FTP data connection resumes its own control connection's session, and
    /// others only when the FTP server says that client may.
    std::string sessionContext;
    /// Client: offers this session to be resumed.
    TlsSession resume;
    /// Server: issue no session tickets (connections nobody resumes from).
    bool noTickets = false;
    /// Server: a session this server issued under another context is resumed when this says yes for that context
    /// (null: never). Sessions from elsewhere cannot be read, so they are never offered to it.
    std::function<bool(const std::string& issuedContext)> adoptSession;
};

/// One connection's TLS state over a non-blocking socket descriptor (not owned): handshake, record reads and
/// writes, file sends through kernel TLS where the system has it, and the closing alert. Each call does what the
/// socket allows now and says what it waits for; nothing blocks. One thread at a time. Made by
/// `TlsContext::newConnection`, inside the TLS module.
class TlsConnection {
public:
    enum class Status { Done, WantRead, WantWrite, Ended, Failed };
    struct Result {
        Status status;
        std::size_t bytes = 0;  ///< bytes read or written (Done)
    };

    virtual ~TlsConnection() = default;

    /// Goes on with the handshake over `fd` (not owned; the same one every time): Done once it completed.
    virtual Status handshake(int fd) = 0;
    virtual bool isEstablished() const = 0;
    /// Up to `length` decrypted bytes; Ended at the peer's closing alert or end of stream.
    virtual Result read(char* into, std::size_t length) = 0;
    /// Encrypts and sends up to `length` bytes (whole records); after WantRead/WantWrite the caller retries with the
    /// same bytes.
    virtual Result write(const char* bytes, std::size_t length) = 0;
    /// Sends up to `length` bytes of `file` from `offset` straight from the page cache; only with `kernelSends`.
    virtual Result sendFile(int file, off_t offset, std::size_t length) = 0;
    /// The kernel encrypts what this connection sends (so files go without a copy through this process).
    virtual bool kernelSends() const = 0;
    /// Decrypted or received bytes wait inside the library, so no readiness event will announce them.
    virtual bool hasPending() const = 0;
    /// Sends the closing alert if the connection is still sound; does not wait for the peer's.
    virtual void shutdown() = 0;

    /// After a failure: what went wrong.
    virtual const Error& error() const = 0;
    /// The handshake resumed an earlier session.
    virtual bool resumed() const = 0;
    /// Server: the client offered a session to resume (whether or not it was resumed).
    virtual bool offeredResumption() const = 0;
    /// The current session, for another connection to resume.
    virtual TlsSession session() const = 0;
};
