#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#include "ftp/FtpConnection.h"
#include "ftp/FtpReplies.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/Text.h"

// The data side of a control connection: the data-port commands, the passive listener and active connects, and
// the transfers handed to the data connection.

std::uint16_t FtpConnection::choosePasvDataPort(unsigned low, unsigned high) {
    // Seeded once from the system's random source: a draw seeded from the clock repeats within the same tick and
    // lets anyone guess the next port.
    static std::mt19937 engine{std::random_device{}()};
    return static_cast<std::uint16_t>(std::uniform_int_distribution<unsigned>(low, high)(engine));
}

void FtpConnection::doPasv(const Words&) {
    transferMode_ = pasvMode;
    openDataSocket(0);
}

void FtpConnection::doEpsv(const Words&) {
    transferMode_ = epsvMode;
    openDataSocket(0);
}

void FtpConnection::doPort(const Words& words) {
    unsigned port = FtpCommandLine::portFromPort(words.size() > 1 ? words[1] : "");
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = portMode;
    openDataSocket(port);
}

void FtpConnection::doLprt(const Words& words) {
    unsigned port = FtpCommandLine::portFromLprt(words.size() > 1 ? words[1] : "");
    NSLog("%d %d %d", static_cast<int>(port / 256 * 256), static_cast<int>(port / 256), static_cast<int>(port % 256));
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = lprtMode;
    openDataSocket(port);
}

void FtpConnection::doEprt(const Words& words) {
    const std::string argument = words.size() > 1 ? words[1] : "";
    for (const auto& f : FtpCommandLine::split(argument, '|')) NSLog("%@", f);
    unsigned port = FtpCommandLine::portFromEprt(argument);
    NSLog("Got Send Port %d", static_cast<int>(port));
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = eprtMode;
    openDataSocket(port);
}

void FtpConnection::doRest(const Words& words) {
    const long long offset = FtpCommandLine::restartOffset(words.size() > 1 ? words[1] : "");
    if (offset < 0) return sendMessage(FtpReplies::kMissingArgument);
    restartOffset_ = offset;
    sendMessage(format("350 Restarting at %qu. Send STORE or RETRIEVE to initiate transfer.",
                       static_cast<unsigned long long>(offset)));
}

void FtpConnection::doAbor(const Words&) {
    if (!transferBusy()) return sendMessage("225 No transfer to abort.");
    // The transfer ends here, without the replies its end would send: the client hears 426 for it, then 226.
    endTransfer(FtpReplies::kAborted);
    sendMessage("226 ABOR command successful.");
}

void FtpConnection::endTransfer(const std::string& reply) {
    auto upload = dataConnection_ ? dataConnection_->takeIncoming() : std::nullopt;
    if (!upload) upload = std::exchange(pending_.incoming, std::nullopt);
    pending_ = {};
    releaseListingMemory();
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    retireDataConnection();
    sendMessage(reply);
    endTransferReport(upload ? upload->written : 0);
    if (upload) {
        // A new version is dropped with its temporary file; what a resumed upload or an append wrote so far stays,
        // as the client may go on with REST or APPE.
        upload.reset();
        settings_.fileListChanged();
    }
}

bool FtpConnection::transferBusy() const {
    return !pending_.outgoing.empty() || isUploading() || (dataConnection_ && dataConnection_->hasPendingTransfers());
}

void FtpConnection::releaseListingMemory() {
    if (listingBytes_) owner_.releaseMemory(std::exchange(listingBytes_, 0));
}

void FtpConnection::watchTransfer() {
    const double timeout = settings_.options.transferTimeout;
    if (timeout <= 0 || transferTimer_) return;
    transferProgress_ = {~0ULL, ~0ULL};
    transferTimer_ = RunLoop::main().runEvery(std::max(0.05, timeout / 4), [this] { checkTransferProgress(); });
    checkTransferProgress();
}

void FtpConnection::checkTransferProgress() {
    if (!transferBusy()) {
        RunLoop::main().cancel(std::exchange(transferTimer_, 0));
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const auto progress = dataConnection_ ? dataConnection_->progress() : std::pair<std::uint64_t, std::uint64_t>{};
    if (progress != transferProgress_) {
        transferProgress_ = progress;
        transferMovedAt_ = now;
        return;
    }
    if (now - transferMovedAt_ < std::chrono::duration<double>(settings_.options.transferTimeout)) return;
    // A client that neither sends nor reads nor connects would hold its transfer, and its place, for ever.
    NSLog("FC: transfer of %@ made no progress: closed", connectionAddress());
    RunLoop::main().cancel(std::exchange(transferTimer_, 0));
    const bool connected = dataConnection_ && dataConnection_->hasConnected();
    endTransfer(connected ? FtpReplies::kAborted : FtpReplies::kNoDataConnection);
}

bool FtpConnection::openDataSocket(unsigned port) {
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    closeSocket(dataSocket_);
    retireDataConnection();
    Error err;
    std::string reply;
    if (transferMode_ == pasvMode || transferMode_ == epsvMode) {
        std::string host = FtpCommandLine::plainAddress(connectionSocket_->localHost());
        if (transferMode_ == pasvMode && host.find(':') != std::string::npos) {
            // PASV can only name an IPv4 address; over IPv6 clients use EPSV.
            NSLog("-- PASV over IPv6 %@", host);
            sendMessage(FtpReplies::kNoDataConnection);
            return false;
        }
        auto listener = AsyncSocket::create(this);
        const FtpOptions& options = settings_.options;
        const bool ranged = options.passivePortLow != 0;
        const unsigned low = ranged ? options.passivePortLow : 1024, high = ranged ? options.passivePortHigh : 65535;
        bool listening = false;
        for (int attempt = 0; attempt < kPasvAttempts && !listening; ++attempt)
            listening = listener->acceptOnAddress(host, choosePasvDataPort(low, high), &err);
        // Past the random draws the system picks a free port, or, within the owner's range, every port is tried
        // in turn: a busy range never ends in 425 while a port is free.
        if (!listening && !ranged) listening = listener->acceptOnAddress(host, 0, &err);
        for (unsigned p = low; ranged && !listening && p <= high; ++p)
            listening = listener->acceptOnAddress(host, static_cast<std::uint16_t>(p), &err);
        if (listening) dataPort_ = listener->localPort();
        NSLog("-- %@", listening ? std::string() : err.localizedDescription);
        if (!listening) {
            sendMessage(FtpReplies::kNoDataConnection);
            return false;
        }
        dataListeningSocket_ = listener;
        if (transferMode_ == pasvMode) {
            std::replace(host.begin(), host.end(), '.', ',');
            reply = format("227 Entering Passive Mode (%@,%d,%d)", host, dataPort_ / 256, dataPort_ % 256);
        } else {
            reply = format("229 Entering Extended Passive Mode (|||%d|)", dataPort_);
        }
    } else {
        dataPort_ = static_cast<std::uint16_t>(port);
        reply = transferMode_ == portMode   ? "200 PORT command successful."
                : transferMode_ == lprtMode ? "228 Entering Long Passive Mode \t(af, hal, h1, h2, h3,..., pal, p1, p2...)"
                                            : "200 EPRT command successful.";
        // The data connection goes to the control connection's own client, whatever address was named.
        auto socket = AsyncSocket::create(this);
        bool started = socket->connectToHost(connectionAddress(), dataPort_, &err);
        NSLog("-- %@", started ? std::string() : err.localizedDescription);
        if (!started) {
            sendMessage(FtpReplies::kNoDataConnection);
            return false;
        }
        secureDataSocket(*socket);
        dataSocket_ = socket;
        dataConnection_ = std::make_unique<FtpDataConnection>(socket, static_cast<FtpDataListener&>(*this), pending_, FtpDataConnection::clientQuiet);
        dataConnection_->start();
    }
    sendMessage(reply);
    return true;
}

void FtpConnection::onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) {
    if (sock != dataListeningSocket_.get()) return;
    // Who connected is known once the new socket is open (onSocketDidConnectToHostPort). Until then it waits
    // beside the others, so a stranger that comes first cannot push the client's own connection out.
    if (acceptedDataSockets_.size() >= kMaxAcceptedDataSockets) {
        closeSocket(acceptedDataSockets_.front());
        acceptedDataSockets_.erase(acceptedDataSockets_.begin());
    }
    acceptedDataSockets_.push_back(newSocket);
}

void FtpConnection::takeAcceptedDataSocket(AsyncSocket* sock) {
    auto it = std::find_if(acceptedDataSockets_.begin(), acceptedDataSockets_.end(),
                           [&](const auto& s) { return s.get() == sock; });
    std::shared_ptr<AsyncSocket> socket = std::move(*it);
    acceptedDataSockets_.erase(it);
    // Only the control connection's own client may take the data port: anyone else could steal a download or
    // slip their bytes into an upload. Others are closed at once and the port keeps waiting.
    if (FtpCommandLine::plainAddress(sock->connectedHost()) != FtpCommandLine::plainAddress(connectionAddress())) {
        NSLog("FC: data connection from %@ refused", sock->connectedHost());
        return closeSocket(socket);
    }
    if (secureDataSocket(*socket)) return acceptedDataSockets_.push_back(std::move(socket));
    logLine("FC:New Connection -- should be for the data port");
    for (auto& other : acceptedDataSockets_) closeSocket(other);
    acceptedDataSockets_.clear();
    closeSocket(dataListeningSocket_);  // one data connection per PASV
    retireDataConnection();
    // An upload announced before the client connected ends when the client closes, even without a byte.
    const auto state = pending_.incoming ? FtpDataConnection::clientSending : FtpDataConnection::clientQuiet;
    dataConnection_ = std::make_unique<FtpDataConnection>(socket, static_cast<FtpDataListener&>(*this), pending_, state);
    dataConnection_->start();
}

void FtpConnection::closeAcceptedDataSockets() {
    for (auto& socket : acceptedDataSockets_) closeSocket(socket);
    acceptedDataSockets_.clear();
}

bool FtpConnection::canTransfer() const { return dataConnection_ || dataListeningSocket_; }

bool FtpConnection::isUploading() const {
    return pending_.incoming.has_value() || (dataConnection_ && dataConnection_->isReceiving());
}

void FtpConnection::sendData(FtpDataConnection::Outgoing item) {
    if (dataConnection_) {
        logLine("FC:sendData");
        dataConnection_->writeData(std::move(item));
    } else {
        pending_.outgoing.push_back(std::move(item));
    }
    watchTransfer();
}

void FtpConnection::sendDataString(const std::string& text) {
    // The names as they are on disk: Linux does not normalise names, so a listing in another form would name
    // files that cannot be fetched.
    sendData(FtpDataConnection::Outgoing{text, {}, 0});
}

void FtpConnection::receiveData(FtpDataConnection::Incoming file) {
    if (dataConnection_) {
        logLine("FC:setting connection state to clientSending");
        dataConnection_->receiveInto(std::move(file));
    } else {
        logLine("FC:Erorr  Cant set connection state to Client Sending : no Connection yet ");
        pending_.incoming = std::move(file);
    }
    watchTransfer();
}

void FtpConnection::startTransferReport(const std::string& name, bool upload, std::uint64_t total) {
    transferReport_ = FtpTransferProgress{name, upload, 0, total, false};
    settings_.transferProgress(transferReport_);
}

void FtpConnection::dataReceived(std::uint64_t written) {
    if (transferReport_.fileName.empty() || !transferReport_.upload) return;
    transferReport_.bytes = written;
    settings_.transferProgress(transferReport_);
}

void FtpConnection::endTransferReport(std::uint64_t bytes) {
    if (transferReport_.fileName.empty()) return;  // a listing, or nothing under way
    transferReport_.bytes = bytes;
    transferReport_.finished = true;
    settings_.transferProgress(std::exchange(transferReport_, {}));
}

void FtpConnection::dataTransferSent() {
    logLine("SENDING COMPLETED");
    endTransferReport(transferReport_.total);
    releaseListingMemory();
    sendMessage("226 Transfer complete.");
    if (dataConnection_ && !dataConnection_->hasPendingTransfers()) {
        dataConnection_->closeConnection();
        retireDataConnection();
    }
}

void FtpConnection::dataConnectionClosed(const std::optional<Error>& err) {
    releaseListingMemory();
    const bool connected = dataConnection_ && dataConnection_->hasConnected();
    auto upload = dataConnection_ ? dataConnection_->takeIncoming() : std::nullopt;
    if (upload) {
        logLine("Closing File Handle");
        const bool failed = upload->error != 0 || err.has_value();
        std::string reply = !failed ? "226 Transfer complete." : connected ? FtpReplies::kAborted : FtpReplies::kNoDataConnection;
        if (upload->error) {
            reply = upload->error == ENOSPC ? "452 Transfer aborted: no space left on the device."
                    : upload->error == EDQUOT || upload->error == EFBIG
                        ? "552 Transfer aborted: storage allocation exceeded."
                        : "451 Transfer aborted: the file could not be written.";
            // In place, a failed write gives back the space it took, never more: the file keeps its old length.
            struct stat st {};
            if (!upload->replacement && ::fstat(upload->file.get(), &st) == 0 && st.st_size > upload->oldLength &&
                ::ftruncate(upload->file.get(), upload->oldLength) != 0)
                NSLog("FC: restoring the length of an upload's file failed: %@", std::string(std::strerror(errno)));
        } else if (!failed && upload->replacement && !upload->replacement->commit()) {
            NSLog("FC: putting an upload in place failed: %@", std::string(std::strerror(errno)));
            reply = "451 Transfer aborted: the file could not be written.";
        }
        endTransferReport(upload->written);
        upload.reset();  // closes the file (a replacement not put in place goes) before the client hears the end
        sendMessage(reply);
        settings_.fileListChanged();
    } else if (dataConnection_ && dataConnection_->hasPendingTransfers()) {
        // A download that lost its client, or an active connection that never came up.
        endTransferReport(transferReport_.bytes);
        sendMessage(connected ? FtpReplies::kAborted : FtpReplies::kNoDataConnection);
    } else {
        // No transfer was announced: nothing to answer (an active connection that failed before any command
        // leaves the next transfer command to answer 425).
        logLine("FC:Data Sent but not sure where its for ");
    }
    retireDataConnection();
}

void FtpConnection::retireDataConnection() {
    if (!dataConnection_) return;
    dataConnection_->closeConnection();
    if (dataSocket_.get() == dataConnection_->socket()) dataSocket_.reset();
    RunLoop::main().deleteSoon(std::move(dataConnection_));
}
