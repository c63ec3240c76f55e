#include "ftp/FtpServer.h"

#include <algorithm>

#include "ftp/AtomicUpload.h"
#include "ftp/FtpListing.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

namespace {

constexpr std::size_t kMaxPendingLoginsPerAddress = 3;

}  // namespace

FtpServer::FtpServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notifyObject, FtpOptions options)
    : settings_(dir, notifyObject, std::move(options)), portNumber_(port) {
    // What a crash left of uploads under way never shows up as a file.
    if (std::size_t removed = AtomicUpload::removeLeftovers(settings_.paths.baseDir()))
        NSLog("FS: removed %d unfinished uploads", static_cast<int>(removed));
    listenSocket_ = AsyncSocket::create(this);
    NSLog("Listening on %u", port);
    const auto listenPort = static_cast<std::uint16_t>(port);
    const std::string& address = settings_.options.bindAddress;
    listening_ = address.empty() ? listenSocket_->acceptOnPort(listenPort, &listenError_)
                                 : listenSocket_->acceptOnAddress(address, listenPort, &listenError_);
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

bool FtpServer::admits(const FtpConnection* connection, const std::string& address) const {
    const FtpOptions& options = settings_.options;
    std::size_t live = 0, fromAddress = 0;
    for (const auto& c : connections_) {
        if (c.get() == connection || c->hasQuit() || !c->isAdmitted()) continue;
        ++live;
        if (options.maxPerAddress && c->connectionAddress() == address) ++fromAddress;
    }
    return (!options.maxClients || live < options.maxClients) &&
           (!options.maxPerAddress || fromAddress < options.maxPerAddress);
}

bool FtpServer::admitsLogin(const FtpConnection* connection, const std::string& address) const {
    // A guesser behind the owner's address (the same NAT) would fill its pending logins and lock the owner out.
    // The two cannot be told apart, so once that address has logged in during this run its logins are never
    // refused for being many: each waits its turn, the turns a step apart (FtpLoginPenalties::bookCheck), so
    // the owner's login is checked in its turn and the guesser gets no more than one check a step.
    if (failedLogins_->hasLoggedIn(address)) return true;
    const std::string key = FtpLoginPenalties::keyOf(address);
    const auto waiting = std::count_if(connections_.begin(), connections_.end(), [&](const auto& c) {
        return c.get() != connection && !c->hasQuit() && c->isLoginPending() &&
               FtpLoginPenalties::keyOf(c->connectionAddress()) == key;
    });
    return static_cast<std::size_t>(waiting) < kMaxPendingLoginsPerAddress;
}

double FtpServer::loginWait(const std::string& address) {
    return failedLogins_->bookCheck(address, FtpLoginPenalties::Clock::now());
}

double FtpServer::loginFailed(const std::string& address) {
    return failedLogins_->failed(address, FtpLoginPenalties::Clock::now());
}

void FtpServer::loginSucceeded(const std::string& address) { failedLogins_->succeeded(address); }

bool FtpServer::reserveMemory(const std::string& address, std::uint64_t bytes) {
    return memory_.reserve(address, bytes);
}

void FtpServer::releaseMemory(const std::string& address, std::uint64_t bytes) { memory_.release(address, bytes); }

void FtpServer::tlsSessionsIssued(const std::string& context, const std::string& address,
                                  const std::optional<std::string>& account) {
    tlsSessions_.record(context, address, account);
}

bool FtpServer::acceptsTlsSession(const std::string& context, const std::string& address,
                                  const std::optional<std::string>& account) const {
    return tlsSessions_.accepts(context, address, account);
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
