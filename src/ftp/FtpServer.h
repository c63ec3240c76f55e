#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ftp/FtpNotificationReceiver.h"
#include "ftp/FtpPathResolver.h"
#include "net/AsyncSocket.h"
#include "platform/Error.h"
#include "platform/RunLoop.h"

class FtpConnection;

/// The FTP server: listens on the control port, makes one `FtpConnection` per client, and holds what all
/// connections share (the command table, the base directory clients see as "/", confinement and encoding).
/// Single-threaded on the main run loop.
class FtpServer : public AsyncSocketDelegate {
public:
    /// The `clientEncoding` value meaning UTF-8 (the only one there is).
    static constexpr int kUTF8Encoding = 4;

    /// Starts listening on `port` (0: any free port, see `localPort`) with `dir` as the clients' root.
    /// `notifyObject` (not owned, may be null) hears of RX/TX and file-list changes. A port that cannot be bound
    /// leaves a server that accepts nothing; `listenError` says why.
    FtpServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notifyObject);
    ~FtpServer() override;
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    /// Stops accepting and closes every connection (sockets and open files) at once. Not restartable.
    void stopFtpServer();

    /// Whether the control port is being listened on, and the failure when it is not.
    bool isListening() const { return listening_; }
    const Error& listenError() const { return listenError_; }
    /// The control port actually listened on (the one chosen by the system when created with 0).
    std::uint16_t localPort() const;

    /// The listing text of a directory (see `FtpListing::createList`).
    std::string createList(const std::string& path) const;

    /// Forgets `connection` as a live client (after QUIT); it is destroyed once its control socket has written
    /// its last replies and closed. Safe to call from inside the connection's own handlers.
    void closeConnection(FtpConnection* connection);
    /// The connection's control socket closed (QUIT done, or the client went away): destroy it on the next turn.
    void connectionDidEnd(FtpConnection* connection);

    void didReceiveFileListChanged();
    void didDataSend();
    void didDataReceived();

    /// The handler name for a lower-case command word ("user" -> "doUser:"), or "" when the word is unknown.
    std::string handlerNameForCommand(const std::string& lowerWord) const;
    const std::map<std::string, std::string>& commands() const { return commands_; }

    const std::string& baseDir() const { return paths_.baseDir(); }
    const FtpPathResolver& paths() const { return paths_; }
    bool changeRoot() const { return true; }  // clients always see the base as "/"
    int clientEncoding() const { return clientEncoding_; }
    unsigned portNumber() const { return portNumber_; }
    FtpNotificationReceiver* notificationObject() const { return notificationObject_; }
    /// Live control connections (those that have not sent QUIT or gone away).
    std::size_t connectionCount() const { return connections_.size(); }

    // AsyncSocket delegate (the listening socket).
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;

private:
    void destroyEnded();

    FtpNotificationReceiver* notificationObject_;
    unsigned portNumber_;
    std::map<std::string, std::string> commands_;
    std::shared_ptr<AsyncSocket> listenSocket_;
    bool listening_ = false;
    Error listenError_;
    FtpPathResolver paths_;
    int clientEncoding_ = kUTF8Encoding;
    std::vector<std::unique_ptr<FtpConnection>> connections_;  // live clients
    std::vector<std::unique_ptr<FtpConnection>> closing_;      // after QUIT, until their replies are out
    std::vector<std::unique_ptr<FtpConnection>> ended_;        // destroyed on the next turn
    RunLoop::Handle destroyEnded_ = 0;
};
