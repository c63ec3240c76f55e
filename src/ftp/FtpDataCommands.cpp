#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "ftp/FtpReplies.h"
#include "ftp/FtpSession.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/Text.h"

// The data side of a session: the data-port commands, the transfers handed to the data channel, their time-out,
// and the replies that end them.

bool FtpSession::refusedAfterEpsvAll(const Words& words) {
    // A client that sent EPSV ALL has told the firewalls on its way that only EPSV follows; another mode would
    // open a connection they do not expect.
    if (!epsvAll_) return false;
    sendMessage(format("501 %@ not allowed after EPSV ALL.", words[0]));
    return true;
}

void FtpSession::doPasv(const Words& words) {
    if (refusedAfterEpsvAll(words)) return;
    transferMode_ = pasvMode;
    openDataSocket(0);
}

void FtpSession::doEpsv(const Words& words) {
    if (words.size() > 1 && text::lowercased(words[1]) == "all") {
        epsvAll_ = true;
        return sendMessage("200 EPSV ALL command successful.");
    }
    transferMode_ = epsvMode;
    openDataSocket(0);
}

void FtpSession::doPort(const Words& words) {
    unsigned port = FtpCommandLine::portFromPort(words.size() > 1 ? words[1] : "");
    if (refusedAfterEpsvAll(words)) return;
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = portMode;
    openDataSocket(port);
}

void FtpSession::doLprt(const Words& words) {
    unsigned port = FtpCommandLine::portFromLprt(words.size() > 1 ? words[1] : "");
    NSLog("%d %d %d", static_cast<int>(port / 256 * 256), static_cast<int>(port / 256), static_cast<int>(port % 256));
    if (refusedAfterEpsvAll(words)) return;
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = lprtMode;
    openDataSocket(port);
}

void FtpSession::doEprt(const Words& words) {
    const std::string argument = words.size() > 1 ? words[1] : "";
    for (const auto& f : FtpCommandLine::split(argument, '|')) NSLog("%@", f);
    unsigned port = FtpCommandLine::portFromEprt(argument);
    NSLog("Got Send Port %d", static_cast<int>(port));
    if (refusedAfterEpsvAll(words)) return;
    if (port == 0) return sendMessage(FtpReplies::kMissingArgument);
    transferMode_ = eprtMode;
    openDataSocket(port);
}

void FtpSession::doRest(const Words& words) {
    const long long offset = FtpCommandLine::restartOffset(words.size() > 1 ? words[1] : "");
    if (offset < 0) return sendMessage(FtpReplies::kMissingArgument);
    restartOffset_ = offset;
    sendMessage(format("350 Restarting at %qu. Send STORE or RETRIEVE to initiate transfer.",
                       static_cast<unsigned long long>(offset)));
}

void FtpSession::doAbor(const Words&) {
    if (!data_.isBusy()) return sendMessage("225 No transfer to abort.");
    // The transfer ends here, without the replies its end would send: the client hears 426 for it, then 226.
    endTransfer(FtpReplies::kAborted);
    sendMessage("226 ABOR command successful.");
}

void FtpSession::openDataSocket(unsigned port) {
    std::string reply;
    if (transferMode_ == pasvMode || transferMode_ == epsvMode) {
        std::string host = FtpCommandLine::plainAddress(control_.localAddress());
        if (transferMode_ == pasvMode && host.find(':') != std::string::npos) {
            // PASV can only name an IPv4 address; over IPv6 clients use EPSV.
            NSLog("-- PASV over IPv6 %@", host);
            return sendMessage(FtpReplies::kNoDataConnection);
        }
        auto listening = data_.listen(host, connectionAddress());
        if (!listening) return sendMessage(FtpReplies::kNoDataConnection);
        dataPort_ = *listening;
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
        if (!data_.connect(connectionAddress(), dataPort_)) return sendMessage(FtpReplies::kNoDataConnection);
    }
    sendMessage(reply);
}

void FtpSession::endTransfer(const std::string& reply) {
    auto upload = data_.abort();
    releaseListingMemory();
    sendMessage(reply);
    endTransferReport(upload ? upload->written : 0);
    if (upload) {
        // A new version is dropped with its temporary file; what a resumed upload or an append wrote so far stays,
        // as the client may go on with REST or APPE.
        upload.reset();
        settings_.fileListChanged();
    }
}

void FtpSession::releaseListingMemory() {
    if (listingBytes_) owner_.releaseMemory(connectionAddress(), std::exchange(listingBytes_, 0));
}

void FtpSession::watchTransfer() {
    const double timeout = settings_.options.transferTimeout;
    if (timeout <= 0 || transferTimer_) return;
    transferProgress_ = {~0ULL, ~0ULL};
    transferTimer_ = loop_.runEvery(std::max(0.05, timeout / 4), [this] { checkTransferProgress(); });
    checkTransferProgress();
}

void FtpSession::checkTransferProgress() {
    if (!data_.isBusy()) {
        loop_.cancel(std::exchange(transferTimer_, 0));
        return;
    }
    const auto now = loop_.now();
    const auto progress = data_.progress();
    if (progress != transferProgress_) {
        transferProgress_ = progress;
        transferMovedAt_ = now;
        return;
    }
    if (now - transferMovedAt_ < std::chrono::duration<double>(settings_.options.transferTimeout)) return;
    // A client that neither sends nor reads nor connects would hold its transfer, and its place, for ever.
    NSLog("FC: transfer of %@ made no progress: closed", connectionAddress());
    loop_.cancel(std::exchange(transferTimer_, 0));
    endTransfer(data_.hasConnected() ? FtpReplies::kAborted : FtpReplies::kNoDataConnection);
}

void FtpSession::sendData(FtpDataConnection::Outgoing item) {
    data_.send(std::move(item));
    watchTransfer();
}

void FtpSession::receiveData(FtpDataConnection::Incoming file) {
    data_.receive(std::move(file));
    watchTransfer();
}

void FtpSession::startTransferReport(const std::string& name, bool upload, std::uint64_t total) {
    transferReport_ = FtpTransferProgress{name, upload, 0, total, false};
    settings_.transferProgress(transferReport_);
}

void FtpSession::dataReceived(std::uint64_t written) {
    if (transferReport_.fileName.empty() || !transferReport_.upload) return;
    transferReport_.bytes = written;
    settings_.transferProgress(transferReport_);
}

void FtpSession::endTransferReport(std::uint64_t bytes) {
    if (transferReport_.fileName.empty()) return;  // a listing, or nothing under way
    transferReport_.bytes = bytes;
    transferReport_.finished = true;
    settings_.transferProgress(std::exchange(transferReport_, {}));
}

void FtpSession::dataTransferSent() {
    logLine("SENDING COMPLETED");
    endTransferReport(transferReport_.total);
    releaseListingMemory();
    sendMessage("226 Transfer complete.");
}

void FtpSession::dataConnectionClosed(std::optional<FtpDataConnection::Incoming> upload, bool failed, bool connected,
                                      bool downloadPending) {
    releaseListingMemory();
    if (upload) {
        logLine("Closing File Handle");
        failed = failed || upload->error != 0;
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
        } else if (!failed && upload->replacement) {
            if (auto done = upload->replacement->commit(); !done) {
                NSLog("FC: putting an upload in place failed: %@", done.error().message());
                reply = "451 Transfer aborted: the file could not be written.";
            }
        }
        endTransferReport(upload->written);
        upload.reset();  // closes the file (a replacement not put in place goes) before the client hears the end
        sendMessage(reply);
        settings_.fileListChanged();
    } else if (downloadPending) {
        // A download that lost its client, or an active connection that never came up.
        endTransferReport(transferReport_.bytes);
        sendMessage(connected ? FtpReplies::kAborted : FtpReplies::kNoDataConnection);
    } else {
        // No transfer was announced: nothing to answer (an active connection that failed before any command
        // leaves the next transfer command to answer 425).
        logLine("FC:Data Sent but not sure where its for ");
    }
}
