#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ftp/FtpConnection.h"
#include "ftp/FtpConnectionOwner.h"
#include "ftp/FtpLoginPenalties.h"
#include "ftp/FtpMemoryBudget.h"
#include "ftp/FtpNotificationReceiver.h"
#include "ftp/FtpSettings.h"
#include "ftp/FtpTlsSessionBook.h"
#include "net/AsyncSocket.h"
#include "platform/Error.h"

/// The FTP server: listens on the control port, makes one `FtpConnection` per client, and holds what all
/// connections share (`FtpSettings`: the base folder clients see as "/", the encoding, the notifications).
/// Single-threaded on the main run loop.
class FtpServer : public AsyncSocketDelegate, private FtpConnectionOwner {
public:
    /// The `clientEncoding` value meaning UTF-8 (the only one there is).
    static constexpr int kUTF8Encoding = FtpSettings::kUTF8Encoding;

    /// Starts listening on `port` (0: any free port, see `localPort`) with `dir` as the clients' root.
    /// `notifyObject` (not owned, may be null) hears of RX/TX and file-list changes. A port that cannot be bound
    /// leaves a server that accepts nothing; `listenError` says why. `options` are the owner's limits (none by
    /// default).
    FtpServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notifyObject, FtpOptions options = {});
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

    const std::string& baseDir() const { return settings_.paths.baseDir(); }
    bool changeRoot() const { return true; }  // clients always see the base as "/"
    int clientEncoding() const { return settings_.clientEncoding; }
    /// Live control connections (those that have not sent QUIT or gone away).
    std::size_t connectionCount() const;
    /// The failed-login book, which the web page of the same account shares.
    const std::shared_ptr<FtpLoginPenalties>& loginPenalties() const { return failedLogins_; }

    // AsyncSocket delegate (the listening socket).
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;

private:
    // FtpConnectionOwner.
    void connectionDidQuit(FtpConnection* connection) override;
    void connectionDidEnd(FtpConnection* connection) override;
    bool admits(const FtpConnection* connection, const std::string& address) const override;
    bool admitsLogin(const FtpConnection* connection, const std::string& address) const override;
    double loginWait(const std::string& address) override;
    double loginFailed(const std::string& address) override;
    void loginSucceeded(const std::string& address) override;
    bool reserveMemory(const std::string& address, std::uint64_t bytes) override;
    void releaseMemory(const std::string& address, std::uint64_t bytes) override;
    void tlsSessionsIssued(const std::string& context, const std::string& address,
                           const std::optional<std::string>& account) override;
    bool acceptsTlsSession(const std::string& context, const std::string& address,
                           const std::optional<std::string>& account) const override;

    FtpSettings settings_;
    unsigned portNumber_;
    std::shared_ptr<AsyncSocket> listenSocket_;
    bool listening_ = false;
    Error listenError_;
    std::vector<std::unique_ptr<FtpConnection>> connections_;  // until their control socket closes
    std::shared_ptr<FtpLoginPenalties> failedLogins_ = std::make_shared<FtpLoginPenalties>();
    FtpTlsSessionBook tlsSessions_;
    FtpMemoryBudget memory_;  // for listings waiting to be sent
};
