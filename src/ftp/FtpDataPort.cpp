#include "ftp/FtpDataPort.h"

#include <algorithm>
#include <random>

#include "ftp/FtpCommandLine.h"
#include "net/TlsConnection.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

FtpDataPort::FtpDataPort(const FtpSettings& settings, FtpDataEvents& events) : settings_(settings), events_(events) {}

FtpDataPort::~FtpDataPort() {
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    dataConnection_.reset();
    closeSocket(dataSocket_);
}

std::uint16_t FtpDataPort::choosePasvDataPort(unsigned low, unsigned high) {
    // Seeded once from the system's random source: a draw seeded from the clock repeats within the same tick and
    // lets anyone guess the next port.
    static std::mt19937 engine{std::random_device{}()};
    return static_cast<std::uint16_t>(std::uniform_int_distribution<unsigned>(low, high)(engine));
}

void FtpDataPort::closeSocket(std::shared_ptr<AsyncSocket>& socket) {
    if (!socket) return;
    socket->setDelegate(nullptr);
    socket->disconnect();
    socket.reset();
}

void FtpDataPort::closeAll() {
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    closeSocket(dataSocket_);
    retireDataConnection();
}

std::optional<std::uint16_t> FtpDataPort::listen(const std::string& host, const std::string& client) {
    closeAll();
    client_ = client;
    Error err;
    auto listener = AsyncSocket::create(this);
    const FtpOptions& options = settings_.options;
    const bool ranged = options.passivePortLow != 0;
    const unsigned low = ranged ? options.passivePortLow : 1024, high = ranged ? options.passivePortHigh : 65535;
    bool listening = false;
    for (int attempt = 0; attempt < kPasvAttempts && !listening; ++attempt)
        listening = listener->acceptOnAddress(host, choosePasvDataPort(low, high), &err);
    // Past the random draws the system picks a free port, or, within the owner's range, every port is tried in
    // turn: a busy range never ends in 425 while a port is free.
    if (!listening && !ranged) listening = listener->acceptOnAddress(host, 0, &err);
    for (unsigned p = low; ranged && !listening && p <= high; ++p)
        listening = listener->acceptOnAddress(host, static_cast<std::uint16_t>(p), &err);
    NSLog("-- %@", listening ? std::string() : err.localizedDescription);
    if (!listening) return std::nullopt;
    dataListeningSocket_ = listener;
    return listener->localPort();
}

bool FtpDataPort::connect(const std::string& client, std::uint16_t port) {
    closeAll();
    Error err;
    auto socket = AsyncSocket::create(this);
    bool started = socket->connectToHost(client, port, &err);
    NSLog("-- %@", started ? std::string() : err.localizedDescription);
    if (!started) return false;
    secureDataSocket(*socket);
    dataSocket_ = socket;
    startDataConnection(socket, FtpDataConnection::clientQuiet);
    return true;
}

void FtpDataPort::startDataConnection(std::shared_ptr<AsyncSocket> socket, FtpDataConnection::State state) {
    dataConnection_ = std::make_unique<FtpDataConnection>(std::move(socket), static_cast<FtpDataListener&>(*this),
                                                          pending_, state);
    dataConnection_->start();
}

bool FtpDataPort::onSocketWillConnect(AsyncSocket*) { return true; }  // judged once connected

void FtpDataPort::onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) {
    if (sock != dataListeningSocket_.get()) return;
    // Who connected is known once the new socket is open (onSocketDidConnectToHostPort). Until then it waits
    // beside the others, so a stranger that comes first cannot push the client's own connection out.
    if (acceptedDataSockets_.size() >= kMaxAcceptedDataSockets) {
        closeSocket(acceptedDataSockets_.front());
        acceptedDataSockets_.erase(acceptedDataSockets_.begin());
    }
    acceptedDataSockets_.push_back(newSocket);
}

void FtpDataPort::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    if (isAcceptedDataSocket(sock)) takeAcceptedDataSocket(sock);
}

void FtpDataPort::takeAcceptedDataSocket(AsyncSocket* sock) {
    auto it = std::find_if(acceptedDataSockets_.begin(), acceptedDataSockets_.end(),
                           [&](const auto& s) { return s.get() == sock; });
    std::shared_ptr<AsyncSocket> socket = std::move(*it);
    acceptedDataSockets_.erase(it);
    // Only the control connection's own client may take the data port: anyone else could steal a download or
    // slip their bytes into an upload. Others are closed at once and the port keeps waiting.
    if (FtpCommandLine::plainAddress(sock->connectedHost()) != FtpCommandLine::plainAddress(client_)) {
        NSLog("FC: data connection from %@ refused", sock->connectedHost());
        return closeSocket(socket);
    }
    if (secureDataSocket(*socket)) return acceptedDataSockets_.push_back(std::move(socket));
    logLine("FC:New Connection -- should be for the data port");
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);  // one data connection per PASV
    retireDataConnection();
    // An upload announced before the client connected ends when the client closes, even without a byte.
    startDataConnection(std::move(socket),
                        pending_.incoming ? FtpDataConnection::clientSending : FtpDataConnection::clientQuiet);
}

bool FtpDataPort::isAcceptedDataSocket(const AsyncSocket* sock) const {
    return std::any_of(acceptedDataSockets_.begin(), acceptedDataSockets_.end(),
                       [&](const auto& s) { return s.get() == sock; });
}

void FtpDataPort::closeAcceptedDataSockets() {
    for (auto& socket : acceptedDataSockets_) closeSocket(socket);
    acceptedDataSockets_.clear();
}

bool FtpDataPort::secureDataSocket(AsyncSocket& sock) {
    if (!protection_ || !settings_.options.tls || sock.tls()) return false;
    // Tickets are for control connections: nobody resumes from a data connection.
    // Clients that share TLS sessions between their control connections bring another one's session here.
    TlsOptions options{*protection_, {}, true,
                       [this](const std::string& context) { return events_.acceptsTlsSession(context); }};
    sock.startTls(settings_.options.tls, options, kTlsHandshakeTimeout);
    return true;
}

void FtpDataPort::onSocketDidSecure(AsyncSocket* sock) {
    if (!isAcceptedDataSocket(sock)) return;
    // Sessions resume only within this control connection's context or one the session accepts: a client that
    // offered a session and did not resume it brought one from elsewhere, as a stranger racing for the passive
    // port would.
    if (sock->tls()->offeredResumption() && !sock->tls()->resumed()) {
        NSLog("FC: data connection from %@ refused: another TLS session", sock->connectedHost());
        auto it = std::find_if(acceptedDataSockets_.begin(), acceptedDataSockets_.end(),
                               [&](const auto& s) { return s.get() == sock; });
        closeSocket(*it);
        acceptedDataSockets_.erase(it);
        return;
    }
    takeAcceptedDataSocket(sock);
}

void FtpDataPort::send(FtpDataConnection::Outgoing item) {
    if (!dataConnection_) return pending_.outgoing.push_back(std::move(item));
    logLine("FC:sendData");
    dataConnection_->writeData(std::move(item));
}

void FtpDataPort::receive(FtpDataConnection::Incoming file) {
    if (!dataConnection_) {
        logLine("FC:Erorr  Cant set connection state to Client Sending : no Connection yet ");
        pending_.incoming = std::move(file);
        return;
    }
    logLine("FC:setting connection state to clientSending");
    dataConnection_->receiveInto(std::move(file));
}

bool FtpDataPort::isBusy() const {
    return !pending_.outgoing.empty() || pending_.incoming.has_value() ||
           (dataConnection_ && (dataConnection_->isReceiving() || dataConnection_->hasPendingTransfers()));
}

std::pair<std::uint64_t, std::uint64_t> FtpDataPort::progress() const {
    return dataConnection_ ? dataConnection_->progress() : std::pair<std::uint64_t, std::uint64_t>{};
}

std::optional<FtpDataConnection::Incoming> FtpDataPort::abort() {
    auto upload = dataConnection_ ? dataConnection_->takeIncoming() : std::nullopt;
    if (!upload) upload = std::exchange(pending_.incoming, std::nullopt);
    pending_ = {};
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    retireDataConnection();
    return upload;
}

void FtpDataPort::dataTransferSent() {
    events_.dataTransferSent();
    if (dataConnection_ && !dataConnection_->hasPendingTransfers()) retireDataConnection();
}

void FtpDataPort::dataReceived(std::uint64_t written) { events_.dataReceived(written); }

void FtpDataPort::dataConnectionClosed(const std::optional<Error>& error) {
    const bool connected = hasConnected();
    auto upload = dataConnection_ ? dataConnection_->takeIncoming() : std::nullopt;
    const bool downloadPending = dataConnection_ && dataConnection_->hasPendingTransfers();
    events_.dataConnectionClosed(std::move(upload), error.has_value(), connected, downloadPending);
    retireDataConnection();
}

void FtpDataPort::retireDataConnection() {
    if (!dataConnection_) return;
    dataConnection_->closeConnection();
    if (dataSocket_.get() == dataConnection_->socket()) dataSocket_.reset();
    RunLoop::main().deleteSoon(std::move(dataConnection_));
}
