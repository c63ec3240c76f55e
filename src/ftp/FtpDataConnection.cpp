#include "ftp/FtpDataConnection.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Log.h"

FtpDataConnection::FtpDataConnection(std::shared_ptr<AsyncSocket> socket, FtpDataListener& listener, Pending& pending,
                                     State initialState)
    : dataSocket_(std::move(socket)), listener_(listener), connectionState_(initialState) {
    dataSocket_->setDelegate(this);
    connected_ = dataSocket_->isConnected();
    incoming_ = std::exchange(pending.incoming, std::nullopt);
    if (!pending.outgoing.empty()) {
        logLine("FC:Write Queued Data");
        outgoing_ = std::exchange(pending.outgoing, {});
        connectionState_ = clientReceiving;
    }
    dataSocket_->readDataWithTimeoutTag(-1, 0);
}

FtpDataConnection::~FtpDataConnection() {
    dataSocket_->setDelegate(nullptr);
    dataSocket_->disconnect();
}

void FtpDataConnection::start() { pump(); }

void FtpDataConnection::writeData(Outgoing item) {
    logLine("FDC:writeData");
    connectionState_ = clientReceiving;
    outgoing_.push_back(std::move(item));
    pump();
}

void FtpDataConnection::receiveInto(Incoming file) {
    incoming_ = std::move(file);
    connectionState_ = clientSending;
}

std::optional<FtpDataConnection::Incoming> FtpDataConnection::takeIncoming() {
    return std::exchange(incoming_, std::nullopt);
}

void FtpDataConnection::closeConnection() {
    if (closed_) return;
    closed_ = true;
    logLine("FDC:closeConnection");
    dataSocket_->setDelegate(nullptr);
    dataSocket_->disconnect();
    outgoing_.clear();
    writeEnds_.clear();
}

// Keeps at most kChunksInFlight writes queued on the socket, reading file chunks only as earlier ones go out, so
// memory stays flat whatever the file's size. An empty transfer completes once the client is connected.
void FtpDataConnection::pump() {
    while (!closed_ && !outgoing_.empty() && writeEnds_.size() < static_cast<size_t>(kChunksInFlight)) {
        Outgoing& item = outgoing_.front();
        std::string chunk;
        if (!item.file) {
            chunk = std::exchange(item.bytes, std::string());
        } else {
            chunk.resize(kChunkSize);
            ssize_t n;
            do n = ::pread(item.file.get(), chunk.data(), chunk.size(), item.offset);
            while (n < 0 && errno == EINTR);
            if (n < 0) return fail("read error");
            chunk.resize(static_cast<size_t>(n));
            item.offset += n;
        }
        const bool ends = !item.file || chunk.empty();
        if (!chunk.empty()) {
            writeEnds_.push_back(0);
            dataSocket_->writeDataWithTimeoutTag(std::move(chunk), -1, 0);
        }
        if (!ends) continue;
        outgoing_.pop_front();
        if (!writeEnds_.empty()) {
            ++writeEnds_.back();  // the transfer is over when its last write is
        } else {
            if (!connected_) {
                // Nothing to write: wait for the client, so the end is not announced before it is there.
                outgoing_.push_front(Outgoing{});
                return;
            }
            listener_.dataTransferSent();
        }
    }
}

void FtpDataConnection::fail(const char* why) {
    NSLog("FDC: transfer failed: %@", why);
    closeConnection();
    listener_.dataConnectionClosed(Error{"FtpErrorDomain", 1, why});
}

bool FtpDataConnection::onSocketWillConnect(AsyncSocket* sock) {
    logLine("FDC:onSocketWillConnect");
    sock->readDataWithTimeoutTag(-1, 0);
    return true;
}

void FtpDataConnection::onSocketDidConnectToHostPort(AsyncSocket*, const std::string&, std::uint16_t) {
    connected_ = true;
    pump();
}

void FtpDataConnection::onSocketDidAcceptNewSocket(AsyncSocket*, const std::shared_ptr<AsyncSocket>&) {
    logLine("FDC:New Connection -- shouldn't be called");
}

void FtpDataConnection::onSocketDidReadDataWithTag(AsyncSocket*, std::string_view data, std::int32_t) {
    connected_ = true;
    connectionState_ = clientSent;
    if (!incoming_ || incoming_->error) {
        logLine("Couldnt write data");
        return;
    }
    // Straight to the file, at its place: a failed write (disk full) marks the upload failed for good.
    while (!data.empty()) {
        ssize_t n = ::pwrite(incoming_->file.get(), data.data(), data.size(),
                             incoming_->offset + static_cast<off_t>(incoming_->written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            incoming_->error = n < 0 ? errno : ENOSPC;
            NSLog("FC: writing the upload failed: %@", std::string(std::strerror(incoming_->error)));
            return;
        }
        incoming_->written += static_cast<std::uint64_t>(n);
        data.remove_prefix(static_cast<size_t>(n));
    }
}

void FtpDataConnection::onSocketDidWriteDataWithTag(AsyncSocket*, std::int32_t) {
    logLine("FDC:didWriteData");
    if (writeEnds_.empty()) return;
    int ended = writeEnds_.front();
    writeEnds_.pop_front();
    for (int i = 0; i < ended && !closed_; ++i) listener_.dataTransferSent();
    pump();
}

bool FtpDataConnection::onReadStreamEnded(AsyncSocket*) {
    NSLog("FDC: onReadStreamEnded %d(clientSending is %d)", connectionState_, static_cast<int>(clientSending));
    // An upload ends when the client closes its side, also one that sent no byte at all; during a download the
    // client's half-close is ignored so the remaining bytes still go out.
    return connectionState_ == clientSending || connectionState_ == clientSent || incoming_.has_value();
}

void FtpDataConnection::onSocketWillDisconnectWithError(AsyncSocket*, const std::optional<Error>& err) {
    logLine("FDC:willDisconnect");
    if (connectionState_ != clientSending)
        logLine("FDC: we werent expecting this as we never set clientSending  prob late coming up");
    else
        logLine("FDC::did FinishReading");
    closed_ = true;
    listener_.dataConnectionClosed(err);
}
