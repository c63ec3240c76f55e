// AsyncSocket: read and write requests, delivery of received bytes, sending, time-outs and the peer's end.
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "net/AsyncSocket.h"
#include "platform/Log.h"

namespace {

constexpr std::size_t kReadChunk = 1048576;  // bytes per read call, and the size of one delivery run's buffer
constexpr std::size_t kWriteChunk = 4096;    // bytes per write call
constexpr int kReadsPerEvent = 16;           // bounds one event's work so a fast peer cannot starve the loop


}  // namespace

// --- Requests ---

void AsyncSocket::readDataToDataWithTimeoutTag(std::string_view term, double timeout, std::int32_t tag) {
    readDataToDataWithTimeoutMaxLengthTag(term, timeout, -1, tag);
}

void AsyncSocket::readDataToDataWithTimeoutMaxLengthTag(std::string_view term, double timeout,
                                                        std::int32_t maxLength, std::int32_t tag) {
    if (term.empty()) return;
    if (maxLength >= 0 && std::size_t(maxLength) < term.size()) return;
    if (theFlags & kForbidReadsWrites) return;
    theReadQueue.push_back(
        std::make_unique<AsyncReadPacket>(std::string(), timeout, tag, false, std::string(term), maxLength));
    scheduleDequeueRead();
}

void AsyncSocket::readDataToLengthWithTimeoutTag(std::int32_t length, double timeout, std::int32_t tag) {
    // A negative length is as meaningless as 0 and would make an impossible buffer.
    if (length <= 0 || (theFlags & kForbidReadsWrites)) return;
    theReadQueue.push_back(std::make_unique<AsyncReadPacket>(std::string(std::size_t(length), '\0'), timeout, tag,
                                                             false, std::nullopt, length));
    scheduleDequeueRead();
}

void AsyncSocket::readDataWithTimeoutTag(double timeout, std::int32_t tag) {
    if (theFlags & kForbidReadsWrites) return;
    theReadQueue.push_back(std::make_unique<AsyncReadPacket>(std::string(), timeout, tag, true, std::nullopt, -1));
    scheduleDequeueRead();
}

void AsyncSocket::writeDataWithTimeoutTag(std::shared_ptr<const std::string> data, double timeout, std::int32_t tag) {
    if (!data || data->empty() || (theFlags & kForbidReadsWrites)) return;
    theWriteQueue.push_back(std::make_unique<AsyncWritePacket>(std::move(data), timeout, tag));
    scheduleDequeueWrite();
}

void AsyncSocket::scheduleDequeueRead() {
    if (!pendingDequeueRead_.pending()) pendingDequeueRead_ = defer(0, &AsyncSocket::maybeDequeueRead);
}

void AsyncSocket::scheduleDequeueWrite() {
    if (!pendingDequeueWrite_.pending()) pendingDequeueWrite_ = defer(0, &AsyncSocket::maybeDequeueWrite);
}

// --- Reading ---

void AsyncSocket::maybeDequeueRead() {
    if (theCurrentRead || theReadQueue.empty() || !theReadStream) return;
    theCurrentRead = std::move(theReadQueue.front());
    theReadQueue.pop_front();
    if (theCurrentRead->timeout >= 0) theReadTimer = defer(theCurrentRead->timeout, &AsyncSocket::doReadTimeout);
    doBytesAvailable();
    updateStreamWatch();
}

void AsyncSocket::doBytesAvailable() {
    if (!theCurrentRead || !theReadStream) return;
    if (theReadStream->status != StreamStatus::Open && theReadStream->status != StreamStatus::Reading) return;
    const std::uint64_t connection = theConnectionId;
    auto buffer = std::make_unique_for_overwrite<char[]>(kReadChunk);
    bool ended = false;
    int failure = 0;
    // Each chunk goes to the delegate as it came, with the current read's tag. The delegate may close the socket
    // (or even start a new connection on it): the loop stops as soon as this connection is gone.
    for (int i = 0; i < kReadsPerEvent && theReadStream && theConnectionId == connection; ++i) {
        ssize_t n = ::recv(theNative.get(), buffer.get(), kReadChunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) failure = errno;
            break;
        }
        if (n == 0) {
            ended = true;
            break;
        }
        if (responds(AsyncSocketDelegate::Message::DidReadData))
            theDelegate->onSocketDidReadDataWithTag(this, std::string_view(buffer.get(), std::size_t(n)),
                                                    theCurrentRead ? theCurrentRead->tag : 0);
        if (std::size_t(n) < kReadChunk) break;  // drained for now; level-triggered readiness brings the rest
    }
    if (!theReadStream || theConnectionId != connection) return;
    if (failure) {
        theReadStream->status = StreamStatus::Error;
        theReadStream->error = posixError(failure);
        closeWithError(streamError());
    } else if (ended) {
        theReadStream->status = StreamStatus::AtEnd;
        doReadEnd();
    }
}

void AsyncSocket::doReadEnd() {
    bool closeNow = true;
    if (responds(AsyncSocketDelegate::Message::ReadStreamEnded)) {
        AsyncSocketDelegate* asked = theDelegate;
        bool answer = asked->onReadStreamEnded(this);
        if (stillResponds(asked, AsyncSocketDelegate::Message::ReadStreamEnded)) closeNow = answer;
    }
    if (closeNow)
        closeWithError(streamError());
    else
        updateStreamWatch();
}

void AsyncSocket::doReadTimeout() {
    theReadTimer = Deferred{};  // it has fired
    endCurrentRead();
    closeWithError(errorWithCode(AsyncSocketReadTimeoutError));
}

void AsyncSocket::endCurrentRead() {
    theReadTimer.cancel();
    theCurrentRead.reset();
}

// --- Writing ---

void AsyncSocket::maybeDequeueWrite() {
    if (theCurrentWrite || theWriteQueue.empty() || !theWriteStream) return;
    theCurrentWrite = std::move(theWriteQueue.front());
    theWriteQueue.pop_front();
    if (theCurrentWrite->timeout >= 0) theWriteTimer = defer(theCurrentWrite->timeout, &AsyncSocket::doWriteTimeout);
    doSendBytes();
    updateStreamWatch();
}

void AsyncSocket::doSendBytes() {
    if (!theCurrentWrite || !theWriteStream) return;
    if (theWriteStream->status != StreamStatus::Open && theWriteStream->status != StreamStatus::Writing) return;
    AsyncWritePacket& w = *theCurrentWrite;
    const std::string& data = *w.buffer;
    int failure = 0;
    while (w.bytesDone < data.size()) {
        std::size_t piece = std::min(data.size() - w.bytesDone, kWriteChunk);
        ssize_t n = ::send(theNative.get(), data.data() + w.bytesDone, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) failure = errno;
            break;  // full for now: the next writable event goes on
        }
        w.bytesDone += std::size_t(n);
    }
    if (failure) {
        theWriteStream->status = StreamStatus::Error;
        theWriteStream->error = posixError(failure);
        closeWithError(streamError());
        return;
    }
    if (w.bytesDone == data.size()) {
        completeCurrentWrite();
        scheduleDequeueWrite();
    }
}

void AsyncSocket::completeCurrentWrite() {
    if (responds(AsyncSocketDelegate::Message::DidWriteData))
        theDelegate->onSocketDidWriteDataWithTag(this, theCurrentWrite->tag);
    if (theCurrentWrite) endCurrentWrite();  // the delegate may have closed the socket
}

void AsyncSocket::endCurrentWrite() {
    theWriteTimer.cancel();
    theCurrentWrite.reset();
    maybeScheduleDisconnect();
}

void AsyncSocket::doWriteTimeout() {
    theWriteTimer = Deferred{};  // it has fired
    endCurrentWrite();
    closeWithError(errorWithCode(AsyncSocketWriteTimeoutError));
}

// --- Ending after the writes ---

void AsyncSocket::disconnectAfterWriting() {
    theFlags |= kForbidReadsWrites | kDisconnectAfterWrites;
    maybeScheduleDisconnect();
}

void AsyncSocket::maybeScheduleDisconnect() {
    if ((theFlags & kDisconnectAfterWrites) && theWriteQueue.empty() && !theCurrentWrite &&
        !pendingDisconnect_.pending())
        pendingDisconnect_ = defer(0, &AsyncSocket::disconnect);
}

// --- Readiness of the connection's socket ---

void AsyncSocket::doStreamEvent(std::uint32_t events) {
    if (!theReadStream || !theWriteStream) return;
    const std::uint64_t connection = theConnectionId;
    if (theReadStream->status == StreamStatus::Opening) {
        int e = pendingSocketError(theNative.get());
        if (e != 0) {
            theReadStream->status = theWriteStream->status = StreamStatus::Error;
            theReadStream->error = theWriteStream->error = posixError(e);
            closeWithError(streamError());
            return;
        }
        if (!(events & EPOLLOUT)) {
            if (events & (EPOLLERR | EPOLLHUP)) closeWithError(std::nullopt);  // gone without a reason
            return;
        }
        theReadStream->status = theWriteStream->status = StreamStatus::Open;
        doStreamOpen();
    } else {
        if (events & (EPOLLIN | EPOLLHUP | EPOLLERR)) doBytesAvailable();
        if (theConnectionId != connection) return;
        if (events & EPOLLOUT) doSendBytes();
        if (theConnectionId != connection) return;
        // An error or a hang-up that reading did not settle: the connection is gone both ways.
        if (events & (EPOLLERR | EPOLLHUP)) {
            int e = pendingSocketError(theNative.get());
            if (e != 0) {
                theWriteStream->status = StreamStatus::Error;
                theWriteStream->error = posixError(e);
            }
            closeWithError(streamError());
            return;
        }
    }
    if (theConnectionId == connection) updateStreamWatch();
}

void AsyncSocket::updateStreamWatch() {
    if (!theStreamWatch || !theReadStream || !theWriteStream) return;
    std::uint32_t events = 0;
    if (theReadStream->status == StreamStatus::Opening) {
        events = EPOLLOUT;
    } else {
        // Only ask for what a current request can use; otherwise bytes (and the end) wait in the socket.
        bool reading = theReadStream->status == StreamStatus::Open || theReadStream->status == StreamStatus::Reading;
        bool writing = theWriteStream->status == StreamStatus::Open || theWriteStream->status == StreamStatus::Writing;
        if (reading && theCurrentRead) events |= EPOLLIN;
        if (writing && theCurrentWrite) events |= EPOLLOUT;
    }
    loop().updateWatch(theStreamWatch, events);
}
