#include "ftp/FtpServer.h"

#include <algorithm>

#include "ftp/FtpListing.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

FtpServer::FtpServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notifyObject)
    : settings_(dir, notifyObject), portNumber_(port) {
    listenSocket_ = AsyncSocket::create(this);
    NSLog("Listening on %u", port);
    listening_ = listenSocket_->acceptOnPort(static_cast<std::uint16_t>(port), &listenError_);
    if (!listening_) NSLog("FS: cannot listen on port %u: %@", port, listenError_.localizedDescription);
}

FtpServer::~FtpServer() { stopFtpServer(); }

void FtpServer::stopFtpServer() {
    if (listenSocket_) {
        listenSocket_->setDelegate(nullptr);
        listenSocket_->disconnect();
        listenSocket_.reset();
    }
    listening_ = false;
    // Destroying a connection closes its sockets and files at once.
    connections_.clear();
}

std::uint16_t FtpServer::localPort() const { return listenSocket_ ? listenSocket_->localPort() : 0; }

std::string FtpServer::createList(const std::string& path) const { return FtpListing::createList(path); }

std::size_t FtpServer::connectionCount() const {
    return static_cast<std::size_t>(
        std::count_if(connections_.begin(), connections_.end(), [](const auto& c) { return !c->hasQuit(); }));
}

void FtpServer::connectionDidQuit(FtpConnection*) {
    // Nothing to do: the connection stays until its last replies are out and its socket closes.
}

void FtpServer::connectionDidEnd(FtpConnection* connection) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const auto& c) { return c.get() == connection; });
    if (it == connections_.end()) return;
    // Called from inside the connection's own handlers: it goes on the next turn.
    RunLoop::main().deleteSoon(std::move(*it));
    connections_.erase(it);
}

void FtpServer::onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) {
    connections_.push_back(std::make_unique<FtpConnection>(newSocket, settings_, static_cast<FtpConnectionOwner&>(*this)));
    NSLog("FS:didAcceptNewSocket  port:%i", sock->localPort());
    if (sock->localPort() == portNumber_ || portNumber_ == 0)
        logLine("Connection on Server Port");
    else
        NSLog("--ERROR %i, %i", sock->localPort(), portNumber_);
}

void FtpServer::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    NSLog("FtpServer:didConnectToHost  port:%i", sock->localPort());
}
