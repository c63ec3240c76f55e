#include "ftp/FtpConnection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "platform/Log.h"

FtpConnection::FtpConnection(std::shared_ptr<AsyncSocket> socket, const FtpSettings& settings,
                             FtpConnectionOwner& owner)
    : connectionSocket_(std::move(socket)),
      settings_(settings),
      dataSide_(settings, session_),
      session_(settings, *this, dataSide_, owner, this, connectionSocket_->loop()) {
    connectionSocket_->setDelegate(this);
    // The greeting waits for onSocketDidConnectToHostPort: only then is the client's address known, and a
    // client past the owner's limits hears 421 instead.
}

FtpConnection::~FtpConnection() {
    connectionSocket_->setDelegate(nullptr);
    connectionSocket_->disconnect();
}

void FtpConnection::writeReply(std::string lines) {
    // Replies made while one is on its way wait together in one buffer: a write request per line would cost some
    // 250 bytes of bookkeeping each, many times a short line, and a flood of them would outgrow any bound on bytes.
    if (replyInFlight_) {
        outbox_ += lines;
        return;
    }
    replyInFlight_ = true;
    connectionSocket_->writeDataWithTimeoutTag(std::move(lines), -1, 0);
}

void FtpConnection::flushReplies() {
    if (!outbox_.empty()) connectionSocket_->writeDataWithTimeoutTag(std::exchange(outbox_, {}), -1, 0);
}

void FtpConnection::closeAfterReplies() {
    flushReplies();
    connectionSocket_->disconnectAfterWriting();
}

void FtpConnection::closeNow() {
    connectionSocket_->setDelegate(nullptr);
    connectionSocket_->disconnect();
}

void FtpConnection::startTls(const std::string& sessionContext) {
    flushReplies();
    connectionSocket_->startTls(settings_.options.tls, TlsOptions{sessionContext, {}, false, {}}, kTlsHandshakeTimeout);
}

std::uint64_t FtpConnection::unsentReplyBytes() const {
    return connectionSocket_->unsentByteCount() + outbox_.size();
}

void FtpConnection::setReadingPaused(bool paused) {
    if (paused && !connectionSocket_->isReadingPaused()) connectionSocket_->pauseReading();
    if (!paused && connectionSocket_->isReadingPaused()) connectionSocket_->resumeReading();
}

bool FtpConnection::onSocketWillConnect(AsyncSocket* sock) {
    logLine("FC:onSocketWillConnect");
    // One read without time-out stays current for the life of the connection and delivers every piece; the
    // session cuts them into lines.
    sock->readDataWithTimeoutTag(-1, 0);
    return true;
}

void FtpConnection::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    if (sock != connectionSocket_.get()) return;
    // Replies are small and often come in pairs (150 then 226, the two 221 lines): without this each second one
    // waits for the client's delayed acknowledgement of the first, some 40 ms per exchange.
    // ABOR is sent as urgent data by many clients: keep it in the stream of command lines.
    int one = 1;
    if (int fd = sock->getCFSocket(); fd >= 0) {
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(fd, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one);
    }
    session_.start(connectionSocket_->connectedHost());
}

void FtpConnection::onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t) {
    if (sock == connectionSocket_.get()) session_.receive(data);
}

void FtpConnection::onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t) {
    if (sock != connectionSocket_.get()) return;
    replyInFlight_ = false;
    if (!outbox_.empty()) writeReply(std::exchange(outbox_, {}));
    session_.repliesWritten();
}

void FtpConnection::onSocketDidDisconnect(AsyncSocket* sock) {
    // The control socket closed: after QUIT once the replies are out, or because the client went away. Either
    // way the session is over; the owner destroys this connection (and with it the data side and the file).
    if (sock == connectionSocket_.get()) session_.ended();
}
