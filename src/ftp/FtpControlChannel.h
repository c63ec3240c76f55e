#pragma once
#include <cstdint>
#include <string>

/// What a session asks of its control connection: the sink its replies go to, and the few things only the socket
/// can do (pause the client's commands, close, turn to TLS). A test gives the session a fake that records them.
class FtpControlChannel {
public:
    /// Writes reply bytes (whole lines, CR LF included) after those written before.
    virtual void writeReply(std::string lines) = 0;
    /// Bytes of replies written and not yet taken by the client.
    virtual std::uint64_t unsentReplyBytes() const = 0;
    /// Stops reading the client's bytes (true) or reads them again (false); repeating a state does nothing.
    virtual void setReadingPaused(bool paused) = 0;
    /// Closes the connection once every reply written so far is out.
    virtual void closeAfterReplies() = 0;
    /// Closes the connection at once, without a further event.
    virtual void closeNow() = 0;
    /// Turns the connection to TLS once the replies written so far are out in clear; `sessionContext` names this
    /// session's TLS sessions, which its data connections resume.
    virtual void startTls(const std::string& sessionContext) = 0;
    /// The address the client reached this server on (the one a passive reply names).
    virtual std::string localAddress() const = 0;

protected:
    ~FtpControlChannel() = default;
};
