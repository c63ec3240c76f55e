// AsyncSocket: TLS on a connection, and the one place where bytes go to or come from the system, in clear or
// through TLS.
#include <sys/socket.h>

#include <cerrno>

#include "net/AsyncSocket.h"
#include "net/TlsContext.h"

void AsyncSocket::startTls(std::shared_ptr<TlsContext> context, const TlsOptions& options, double timeout) {
    if (!context || theTls || (theFlags & kForbidReadsWrites)) return;
    ignoreBrokenPipe();
    theTls = context->newConnection(options);
    // The handshake waits its turn behind the writes queued so far (such as the reply that announced it).
    auto marker = std::make_unique<AsyncWritePacket>(std::make_shared<const std::string>(), timeout, 0);
    marker->startsTls = true;
    queueWrite(std::move(marker));
    updateStreamWatch();  // reads stop here: the peer's next bytes belong to the handshake
}

void AsyncSocket::doTlsHandshake() {
    switch (theTls->handshake(theNative.get())) {
        case TlsConnection::Status::WantRead: theWriteWaitsFor = EPOLLIN; return;
        case TlsConnection::Status::WantWrite: theWriteWaitsFor = EPOLLOUT; return;
        case TlsConnection::Status::Done: break;
        default:
            theWriteStream->status = StreamStatus::Error;
            theWriteStream->error = theTls->error();
            closeWithError(streamError());
            return;
    }
    theWriteWaitsFor = EPOLLOUT;
    const std::uint64_t connection = theConnectionId;
    endCurrentWrite();  // the marker: no message of its own
    if (responds(AsyncSocketDelegate::Message::DidSecure)) theDelegate->onSocketDidSecure(this);
    if (theConnectionId != connection) return;
    scheduleDequeueWrite();
    if (theCurrentRead) scheduleTlsRead();  // the first records may already wait inside the library
}

void AsyncSocket::scheduleTlsRead() {
    if (!pendingTlsRead_.pending()) pendingTlsRead_ = defer(0, &AsyncSocket::doBytesAvailable);
}

ssize_t AsyncSocket::receiveSome(char* into, std::size_t length, int& failure) {
    if (!isSecure()) {
        for (;;) {
            ssize_t n = ::recv(theNative.get(), into, length, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) failure = errno;
            return n;
        }
    }
    // Records are decrypted one by one; as many as there are go out in one delivery, like one recv would.
    std::size_t got = 0;
    while (got < length) {
        TlsConnection::Result r = theTls->read(into + got, length - got);
        if (r.status == TlsConnection::Status::Done) {
            got += r.bytes;
            theReadWaitsFor = EPOLLIN;
            continue;
        }
        if (r.status == TlsConnection::Status::WantRead || r.status == TlsConnection::Status::WantWrite) {
            theReadWaitsFor = r.status == TlsConnection::Status::WantRead ? EPOLLIN : EPOLLOUT;
            break;
        }
        if (got) {
            scheduleTlsRead();  // the end or failure is reported after these bytes, and no readiness may come
            break;
        }
        if (r.status == TlsConnection::Status::Ended) return 0;
        failure = kTlsFailure;
        return -1;
    }
    if (got == length) scheduleTlsRead();
    return got ? ssize_t(got) : -1;
}

ssize_t AsyncSocket::sendSome(const char* bytes, std::size_t length, int& failure) {
    if (!isSecure()) {
        for (;;) {
            ssize_t n = ::send(theNative.get(), bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK) failure = errno;
                return 0;
            }
            return n;
        }
    }
    TlsConnection::Result r = theTls->write(bytes, length);
    switch (r.status) {
        case TlsConnection::Status::Done: theWriteWaitsFor = EPOLLOUT; return ssize_t(r.bytes);
        case TlsConnection::Status::WantRead: theWriteWaitsFor = EPOLLIN; return 0;
        case TlsConnection::Status::WantWrite: theWriteWaitsFor = EPOLLOUT; return 0;
        case TlsConnection::Status::Ended: failure = EPIPE; return 0;
        case TlsConnection::Status::Failed: failure = kTlsFailure; return 0;
    }
    return 0;
}

Error AsyncSocket::failureError(int failure) const {
    return failure == kTlsFailure && theTls ? theTls->error() : posixError(failure);
}
