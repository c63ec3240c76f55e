#include "ftp/FtpDataConnection.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Log.h"

FtpDataConnection::FtpDataConnection(std::shared_ptr<AsyncSocket> socket, FtpDataListener& listener, Pending& pending,
                                     State initialState)
    : dataSocket_(std::move(socket)), listener_(listener), connectionState_(initialState) {
    dataSocket_->setDelegate(this);
    connected_ = dataSocket_->isConnected();
    incoming_ = std::exchange(pending.incoming, std::nullopt);
    if (incoming_) spliceIntoFile();
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
    spliceIntoFile();
}

void FtpDataConnection::spliceIntoFile() {
    // An append goes to wherever the file's end is at each write, which a splice at an offset cannot follow.
    if (incoming_->append) return;
    dataSocket_->receiveIntoFile(incoming_->fd(), incoming_->offset + static_cast<off_t>(incoming_->written),
                                 [this](std::uint64_t bytes, int error) {
                                     arrived(bytes);
                                     incoming_->written += bytes;
                                     if (error) return failUpload(error);
                                     listener_.dataReceived(incoming_->written);
                                 });
}

void FtpDataConnection::arrived(std::uint64_t bytes) {
    connected_ = true;
    connectionState_ = clientSent;
    received_ += bytes;
}

void FtpDataConnection::failUpload(int error) {
    // A failed write (disk full) ends the upload at once: the client stops sending and hears why, instead of
    // pouring the rest into nothing.
    incoming_->error = error;
    NSLog("FC: writing the upload failed: %@", std::string(std::strerror(error)));
    closeConnection();
    listener_.dataConnectionClosed(Error{"NSPOSIXErrorDomain", error, "write failed"});
}

std::optional<FtpDataConnection::Incoming> FtpDataConnection::takeIncoming() {
    dataSocket_->stopReceivingIntoFile();
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

// Hands every queued transfer to the socket in order: texts as bytes, files by descriptor (the socket sends them
// from the page cache, so a download of any size costs no memory here). An empty transfer completes once the
// client is connected and the writes before it are out.
void FtpDataConnection::pump() {
    while (!closed_ && !outgoing_.empty()) {
        Outgoing& item = outgoing_.front();
        if (!item.file && item.bytes.empty()) {
            if (!writeEnds_.empty()) {
                ++writeEnds_.back();  // over when the write before it is
            } else if (!connected_) {
                return;  // wait for the client, so the end is not announced before it is there
            } else {
                outgoing_.pop_front();
                listener_.dataTransferSent();
                continue;
            }
        } else {
            writeEnds_.push_back(1);
            if (item.file)
                dataSocket_->writeFileWithTimeoutTag(std::move(item.file), item.offset, AsyncSocket::ToEndOfFile, -1, 0);
            else
                dataSocket_->writeDataWithTimeoutTag(std::move(item.bytes), -1, 0);
        }
        outgoing_.pop_front();
    }
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
    arrived(data.size());
    if (!incoming_ || incoming_->error) {
        logLine("Couldnt write data");
        return;
    }
    // Straight to the file, at its place.
    while (!data.empty()) {
        // In slices: measured here, file systems copy 1 MiB writes into new page-cache pages far more slowly at
        // times than 256 KiB ones.
        const std::size_t slice = std::min(data.size(), kWriteSlice);
        // An append goes to the end the file has now (O_APPEND), whatever another writer did before.
        ssize_t n = incoming_->append ? ::write(incoming_->fd(), data.data(), slice)
                                      : ::pwrite(incoming_->fd(), data.data(), slice,
                                                 incoming_->offset + static_cast<off_t>(incoming_->written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failUpload(n < 0 ? errno : ENOSPC);
        incoming_->written += static_cast<std::uint64_t>(n);
        data.remove_prefix(static_cast<size_t>(n));
    }
    listener_.dataReceived(incoming_->written);
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
