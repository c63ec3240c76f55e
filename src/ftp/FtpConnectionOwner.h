#pragma once
#include <cstdint>
#include <optional>
#include <string>

class FtpConnection;

/// What a control connection tells the server that owns it about its own life.
class FtpConnectionOwner {
public:
    /// The client sent QUIT: it no longer counts as a live client; its replies still go out before it closes.
    virtual void connectionDidQuit(FtpConnection* connection) = 0;
    /// The control socket closed (after QUIT, or the client went away): the connection is to be destroyed.
    /// Called from inside the connection's own handlers, so the owner must destroy it later, not now.
    virtual void connectionDidEnd(FtpConnection* connection) = 0;
    /// Whether the owner's limits let a client from `address` in, beside the connections already there.
    virtual bool admits(const FtpConnection* connection, const std::string& address) const = 0;
    /// Whether `connection` may have its password checked beside the logins from `address` still waiting.
    virtual bool admitsLogin(const FtpConnection* connection, const std::string& address) const = 0;
    /// Books the check of a login's password from `address`: the seconds it waits first (the penalty of earlier
    /// failures, a turn behind other logins), or a negative number when it is refused.
    virtual double loginWait(const std::string& address) = 0;
    /// A wrong name or password from `address`: the seconds to wait before answering, growing with each failure.
    virtual double loginFailed(const std::string& address) = 0;
    virtual void loginSucceeded(const std::string& address) = 0;
    /// Takes `bytes` from the memory budget for work the connections queue (listings), from the share of
    /// `address`; false, taking nothing, when the share or the budget would be exceeded (see FtpMemoryBudget).
    virtual bool reserveMemory(const std::string& address, std::uint64_t bytes) = 0;
    /// Gives back what `reserveMemory` took.
    virtual void releaseMemory(const std::string& address, std::uint64_t bytes) = 0;
    /// The TLS sessions issued under `context` belong to the client at `address`, logged in as `account`
    /// (nothing: not logged in); said again when that changes.
    virtual void tlsSessionsIssued(const std::string& context, const std::string& address,
                                   const std::optional<std::string>& account) = 0;
    /// Whether a data connection of the client at `address`, logged in as `account`, may resume a TLS session
    /// issued under `context` (a client that shares sessions between its control connections).
    virtual bool acceptsTlsSession(const std::string& context, const std::string& address,
                                   const std::optional<std::string>& account) const = 0;

protected:
    ~FtpConnectionOwner() = default;
};
