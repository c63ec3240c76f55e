#pragma once

class FtpConnection;

/// What a control connection tells the server that owns it about its own life.
class FtpConnectionOwner {
public:
    /// The client sent QUIT: it no longer counts as a live client; its replies still go out before it closes.
    virtual void connectionDidQuit(FtpConnection* connection) = 0;
    /// The control socket closed (after QUIT, or the client went away): the connection is to be destroyed.
    /// Called from inside the connection's own handlers, so the owner must destroy it later, not now.
    virtual void connectionDidEnd(FtpConnection* connection) = 0;

protected:
    ~FtpConnectionOwner() = default;
};
