#include "ftp/FtpServer.h"

#include <algorithm>

#include "ftp/FtpConnection.h"
#include "ftp/FtpListing.h"
#include "platform/Log.h"

namespace {

// Word -> handler name, in the order the table is built. "rmd" shares the delete handler and "nlst" the list
// handler; "ack" names a handler that does not exist, so ACK is answered as an unknown command.
const std::pair<const char*, const char*> kCommandTable[] = {
    {"rnto", "doRnto:"}, {"lprt", "doLprt:"}, {"cdup", "doCdUp:"}, {"pass", "doPass:"},  {"epsv", "doEpsv:"},
    {"quit", "doQuit:"}, {"type", "doType:"}, {"syst", "doSyst:"}, {"noop", "doNoop:"},  {"cwd", "doCwd:"},
    {"feat", "doFeat:"}, {"port", "doPort:"}, {"opts", "doOpts:"}, {"list", "doList:"},  {"ack", "doAck:"},
    {"stat", "doStat:"}, {"user", "doUser:"}, {"pasv", "doPasv:"}, {"stor", "doStor:"},  {"dele", "doDele:"},
    {"size", "doSize:"}, {"pwd", "doPwd:"},   {"rmd", "doDele:"},  {"nlst", "doList:"},  {"rnfr", "doRnfr:"},
    {"retr", "doRetr:"}, {"mlst", "doMlst:"}, {"eprt", "doEprt:"}, {"mkd", "doMkdir:"},
};

}  // namespace

FtpServer::FtpServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notifyObject)
    : notificationObject_(notifyObject), portNumber_(port), paths_(dir) {
    for (const auto& [word, handler] : kCommandTable) commands_.emplace(word, handler);
    listenSocket_ = AsyncSocket::create(this);
    NSLog("Listening on %u", port);
    listening_ = listenSocket_->acceptOnPort(static_cast<std::uint16_t>(port), &listenError_);
    if (!listening_) NSLog("FS: cannot listen on port %u: %@", port, listenError_.localizedDescription);
}

FtpServer::~FtpServer() {
    stopFtpServer();
    if (destroyEnded_) RunLoop::main().cancel(destroyEnded_);
}

void FtpServer::stopFtpServer() {
    if (listenSocket_) {
        listenSocket_->setDelegate(nullptr);
        listenSocket_->disconnect();
        listenSocket_.reset();
    }
    listening_ = false;
    // Destroying a connection closes its sockets and files at once.
    connections_.clear();
    closing_.clear();
    ended_.clear();
}

std::uint16_t FtpServer::localPort() const { return listenSocket_ ? listenSocket_->localPort() : 0; }

std::string FtpServer::createList(const std::string& path) const { return FtpListing::createList(path); }

std::string FtpServer::handlerNameForCommand(const std::string& lowerWord) const {
    auto it = commands_.find(lowerWord);
    return it == commands_.end() ? "" : it->second;
}

void FtpServer::closeConnection(FtpConnection* connection) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const auto& c) { return c.get() == connection; });
    if (it == connections_.end()) return;
    closing_.push_back(std::move(*it));
    connections_.erase(it);
}

void FtpServer::connectionDidEnd(FtpConnection* connection) {
    for (auto* list : {&connections_, &closing_}) {
        auto it = std::find_if(list->begin(), list->end(), [&](const auto& c) { return c.get() == connection; });
        if (it == list->end()) continue;
        ended_.push_back(std::move(*it));
        list->erase(it);
        if (!destroyEnded_) destroyEnded_ = RunLoop::main().defer([this] { destroyEnded(); });
        return;
    }
}

void FtpServer::destroyEnded() {
    destroyEnded_ = 0;
    ended_.clear();
}

void FtpServer::didReceiveFileListChanged() {
    if (notificationObject_) notificationObject_->didReceiveFileListChanged();
}

void FtpServer::didDataSend() {
    if (notificationObject_) notificationObject_->didDataSend();
}

void FtpServer::didDataReceived() {
    if (notificationObject_) notificationObject_->didDataReceived();
}

void FtpServer::onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) {
    connections_.push_back(std::make_unique<FtpConnection>(newSocket, this));
    NSLog("FS:didAcceptNewSocket  port:%i", sock->localPort());
    if (sock->localPort() == portNumber_ || portNumber_ == 0)
        logLine("Connection on Server Port");
    else
        NSLog("--ERROR %i, %i", sock->localPort(), portNumber_);
}

void FtpServer::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    NSLog("FtpServer:didConnectToHost  port:%i", sock->localPort());
}
