#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ftp/FtpConnectionOwner.h"
#include "ftp/FtpControlChannel.h"
#include "ftp/FtpDataPort.h"
#include "ftp/FtpSession.h"
#include "ftp/FtpSettings.h"
#include "net/AsyncSocket.h"

/// One FTP control connection: the control socket under an `FtpSession`, which holds the session's state and
/// rules, and an `FtpDataPort` for its data connections. It hands the session what the client sends and writes
/// the replies the session makes. Owned by the server, which it reaches only through `FtpConnectionOwner`.
class FtpConnection : public AsyncSocketDelegate, private FtpControlChannel {
public:
    /// Seconds a TLS handshake may take on the control connection.
    static constexpr double kTlsHandshakeTimeout = 30;

    /// Becomes `socket`'s delegate; the client is greeted once it is connected. `settings` and `owner` outlive the
    /// connection.
    FtpConnection(std::shared_ptr<AsyncSocket> socket, const FtpSettings& settings, FtpConnectionOwner& owner);
    /// Closes every socket at once (no further messages) and the file being stored.
    ~FtpConnection() override;
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    /// The words of the commands this server knows, in the order the table is built.
    static std::vector<std::string> commandWords() { return FtpSession::commandWords(); }

    /// The client's address, as the control socket reports its peer.
    const std::string& connectionAddress() const { return session_.connectionAddress(); }
    /// Writes one reply line (CR LF added).
    void sendMessage(const std::string& text) { session_.sendMessage(text); }
    /// Whether the client has sent QUIT.
    bool hasQuit() const { return session_.hasQuit(); }
    /// Whether the client was let in (greeted) rather than turned away by the owner's limits; false until then.
    bool isAdmitted() const { return session_.isAdmitted(); }
    /// Whether a password of this connection waits to be checked or answered.
    bool isLoginPending() const { return session_.isLoginPending(); }
    /// The current folder, relative to the base ("" for the base itself).
    const std::string& currentDir() const { return session_.currentDir(); }

    // AsyncSocket delegate (the control socket).
    bool onSocketWillConnect(AsyncSocket* sock) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t tag) override;
    void onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t tag) override;
    void onSocketDidDisconnect(AsyncSocket* sock) override;

private:
    // FtpControlChannel.
    void writeReply(std::string lines) override;
    std::uint64_t unsentReplyBytes() const override;
    void setReadingPaused(bool paused) override;
    void closeAfterReplies() override;
    void closeNow() override;
    void startTls(const std::string& sessionContext) override;
    std::string localAddress() const override { return connectionSocket_->localHost(); }

    /// Writes the replies that wait for the one on its way.
    void flushReplies();

    std::shared_ptr<AsyncSocket> connectionSocket_;
    const FtpSettings& settings_;
    bool replyInFlight_ = false;  // a write is on its way on the control socket; later replies wait in outbox_
    std::string outbox_;
    FtpDataPort dataSide_;
    FtpSession session_;  // made last, over the two channels above
};
