#include "ftp/FtpDataConnection.h"

#include <unistd.h>

#include <cerrno>

#include "ftp/FtpConnection.h"
#include "platform/Log.h"

FtpDataConnection::Outgoing FtpDataConnection::Outgoing::bytes(std::string data) {
    Outgoing o;
    o.data_ = std::move(data);
    return o;
}

FtpDataConnection::Outgoing FtpDataConnection::Outgoing::file(int fd) {
    Outgoing o;
    o.fd_ = fd;
    return o;
}

FtpDataConnection::Outgoing::Outgoing(Outgoing&& other) noexcept
    : data_(std::move(other.data_)), fd_(other.fd_), started_(other.started_) {
    other.fd_ = -1;
}

FtpDataConnection::Outgoing& FtpDataConnection::Outgoing::operator=(Outgoing&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        data_ = std::move(other.data_);
        fd_ = other.fd_;
        started_ = other.started_;
        other.fd_ = -1;
    }
    return *this;
}

FtpDataConnection::Outgoing::~Outgoing() {
    if (fd_ >= 0) ::close(fd_);
}

FtpDataConnection::FtpDataConnection(std::shared_ptr<AsyncSocket> socket, FtpConnection* connection,
                                     std::deque<Outgoing>& queuedData, State initialState)
    : dataSocket_(std::move(socket)), ftpConnection_(connection), connectionState_(initialState) {
    dataSocket_->setDelegate(this);
    connected_ = dataSocket_->isConnected();
    if (!queuedData.empty()) {
        logLine("FC:Write Queued Data");
        while (!queuedData.empty()) {
            outgoing_.push_back(std::move(queuedData.front()));
            queuedData.pop_front();
        }
        connectionState_ = clientReceiving;
    }
    dataSocket_->readDataWithTimeoutTag(-1, 0);
}

void FtpDataConnection::start() { pump(); }

FtpDataConnection::~FtpDataConnection() {
    dataSocket_->setDelegate(nullptr);
    dataSocket_->disconnect();
}

void FtpDataConnection::writeData(Outgoing item) {
    logLine("FDC:writeData");
    connectionState_ = clientReceiving;
    outgoing_.push_back(std::move(item));
    pump();
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
        if (item.fd_ < 0) {
            chunk = std::move(item.data_);
            item.data_.clear();
        } else {
            chunk.resize(kChunkSize);
            ssize_t n;
            do n = ::read(item.fd_, chunk.data(), chunk.size());
            while (n < 0 && errno == EINTR);
            if (n < 0) return fail("read error");
            chunk.resize(static_cast<size_t>(n));
        }
        const bool ends = item.fd_ < 0 || chunk.empty();
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
                outgoing_.push_front(Outgoing::bytes(""));
                return;
            }
            ftpConnection_->didReceiveDataWritten();
        }
    }
}

void FtpDataConnection::fail(const char* why) {
    NSLog("FDC: transfer failed: %@", why);
    closeConnection();
    ftpConnection_->didFinishReading(Error{"FtpErrorDomain", 1, why});
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
    receivedData_ = data;
    ftpConnection_->didReceiveDataRead();
    receivedData_ = {};
    connectionState_ = clientSent;
}

void FtpDataConnection::onSocketDidWriteDataWithTag(AsyncSocket*, std::int32_t) {
    logLine("FDC:didWriteData");
    if (writeEnds_.empty()) return;
    int ended = writeEnds_.front();
    writeEnds_.pop_front();
    for (int i = 0; i < ended && !closed_; ++i) ftpConnection_->didReceiveDataWritten();
    pump();
}

bool FtpDataConnection::onReadStreamEnded(AsyncSocket*) {
    NSLog("FDC: onReadStreamEnded %d(clientSending is %d)", connectionState_, static_cast<int>(clientSending));
    // An upload ends when the client closes its side, also one that sent no byte at all; during a download the
    // client's half-close is ignored so the remaining bytes still go out.
    return connectionState_ == clientSending || connectionState_ == clientSent || ftpConnection_->isUploading();
}

void FtpDataConnection::onSocketWillDisconnectWithError(AsyncSocket*, const std::optional<Error>& err) {
    logLine("FDC:willDisconnect");
    if (connectionState_ != clientSending)
        logLine("FDC: we werent expecting this as we never set clientSending  prob late coming up");
    else
        logLine("FDC::did FinishReading");
    closed_ = true;
    ftpConnection_->didFinishReading(err);
}
