#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "ftp/FtpDataConnection.h"

/// What a session asks of the data side of its connection: a passive port or an active connect, transfers in
/// either direction, and their state. The data side reports back through `FtpDataEvents`. A test gives the session
/// a fake that records the transfers and plays the client's part by calling those events.
class FtpDataChannel {
public:
    /// Drops any data connection or port there was and listens on `host` for `client` (no one else is taken);
    /// the port listened on, or nothing when no port could be opened.
    virtual std::optional<std::uint16_t> listen(const std::string& host, const std::string& client) = 0;
    /// Drops any data connection or port there was and starts connecting to `client`'s `port`; false when the
    /// connect could not start.
    virtual bool connect(const std::string& client, std::uint16_t port) = 0;
    /// Whether a data connection exists or a passive port is listening (else a transfer cannot start).
    virtual bool isOpen() const = 0;
    /// Sends on the data connection, or once the client connects.
    virtual void send(FtpDataConnection::Outgoing item) = 0;
    /// Writes the client's bytes into `file`, now or once the client connects.
    virtual void receive(FtpDataConnection::Incoming file) = 0;
    /// Whether a transfer was handed over and is not over.
    virtual bool isBusy() const = 0;
    /// Closes every data socket and drops the transfers under way, handing back the upload's file if there was one.
    virtual std::optional<FtpDataConnection::Incoming> abort() = 0;
    /// Bytes received so far and bytes not yet sent: a transfer whose two stay the same makes no progress.
    virtual std::pair<std::uint64_t, std::uint64_t> progress() const = 0;
    /// Whether the client ever connected to the current data connection.
    virtual bool hasConnected() const = 0;
    /// Encrypts data connections from now on within the TLS sessions of `sessionContext`; nothing: in clear.
    virtual void setProtection(std::optional<std::string> sessionContext) = 0;

protected:
    ~FtpDataChannel() = default;
};

/// What the data side tells its session.
class FtpDataEvents {
public:
    /// One outgoing transfer's last byte is out.
    virtual void dataTransferSent() = 0;
    /// An upload has `written` bytes in its file so far.
    virtual void dataReceived(std::uint64_t written) = 0;
    /// The data connection closed. `upload`: the upload it was receiving, if any; `failed`: it closed on an error;
    /// `connected`: the client had connected; `downloadPending`: a download was not fully sent.
    virtual void dataConnectionClosed(std::optional<FtpDataConnection::Incoming> upload, bool failed, bool connected,
                                      bool downloadPending) = 0;
    /// Whether a data connection may resume a TLS session this server issued under `context`, another control
    /// connection's (its own is always resumed).
    virtual bool acceptsTlsSession(const std::string& context) const = 0;

protected:
    ~FtpDataEvents() = default;
};
