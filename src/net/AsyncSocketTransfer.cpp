// AsyncSocket: read and write requests, delivery of received bytes, sending, time-outs and the peer's end.
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "net/AsyncSocket.h"
#include "platform/Log.h"

namespace {

constexpr std::size_t kReadChunk = 1048576;  // bytes per read call, and the size of the read buffer
constexpr std::size_t kWriteChunk = 4096;    // bytes per write call
constexpr std::size_t kTlsRecord = 16384;    // bytes per encrypted write: one full record
bool sendfileAllowed = true;  // tests send through the fallback below with files of any size
constexpr int kReadsPerEvent = 16;           // bounds one event's work so a fast peer cannot starve the loop
constexpr std::size_t kFileChunk = 1048576;  // bytes per sendfile call
constexpr std::size_t kStagedChunk = 65536;  // bytes per read of a file that refuses sendfile
constexpr std::uint64_t kFileBytesPerEvent = 8 << 20;  // bounds one event's file sending, as kReadsPerEvent does
constexpr int kSplicePipe = 256 * 1024;  // the pipe of a file sink: file systems take 256 KiB writes best

// The read buffer of this thread, lent to one delivery at a time; all sockets of a loop share it. A delegate that
// turns the loop from inside a delivery starts another delivery while the first one's bytes are still in use: that
// one finds the buffer lent out and gets its own, so bytes being delivered are never overwritten.
class ReadBuffer {
public:
    ReadBuffer() : bytes_(std::move(spare())) {
        if (!bytes_) bytes_ = std::make_unique_for_overwrite<char[]>(kReadChunk);
    }
    ~ReadBuffer() {
        if (!spare()) spare() = std::move(bytes_);
    }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;
    char* get() const { return bytes_.get(); }

private:
    static std::unique_ptr<char[]>& spare() {
        static thread_local std::unique_ptr<char[]> buffer;
        return buffer;
    }
    std::unique_ptr<char[]> bytes_;
};

}  // namespace

// sendfile and TLS writes have no MSG_NOSIGNAL: a peer gone in the middle of a file would raise SIGPIPE, whose
// default action ends the process. Ignored (once, and only when nobody chose another action) so the write fails
// with EPIPE instead.
void AsyncSocket::ignoreBrokenPipe() {
    static const bool done = [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

// --- Requests ---

void AsyncSocket::readDataWithTimeoutTag(double timeout, std::int32_t tag) {
    if (theFlags & kForbidReadsWrites) return;
    theReadQueue.push_back({timeout, tag});
    scheduleDequeueRead();
}

void AsyncSocket::writeDataWithTimeoutTag(std::shared_ptr<const std::string> data, double timeout, std::int32_t tag) {
    if (!data || data->empty() || (theFlags & kForbidReadsWrites)) return;
    queueWrite(std::make_unique<AsyncWritePacket>(std::move(data), timeout, tag));
}

void AsyncSocket::writeFileWithTimeoutTag(UniqueFd fd, off_t offset, std::uint64_t length, double timeout,
                                          std::int32_t tag) {
    if (!fd || offset < 0 || (theFlags & kForbidReadsWrites)) return;
    ignoreBrokenPipe();
    queueWrite(std::make_unique<AsyncWritePacket>(std::move(fd), offset, length, timeout, tag));
}

void AsyncSocket::queueWrite(std::unique_ptr<AsyncWritePacket> packet) {
    theUnsentBytes += packet->size;
    theWriteQueue.push_back(std::move(packet));
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
    theCurrentRead = theReadQueue.front();
    theReadQueue.pop_front();
    if (theCurrentRead->timeout >= 0) theReadTimer = defer(theCurrentRead->timeout, &AsyncSocket::doReadTimeout);
    doBytesAvailable();
    updateStreamWatch();
}

void AsyncSocket::pauseReading() {
    theFlags |= kReadingPaused;
    updateStreamWatch();
}

void AsyncSocket::resumeReading() {
    theFlags &= std::uint8_t(~kReadingPaused);
    updateStreamWatch();  // level-triggered: what waits is reported on the next turn
    if (theTls && theTls->hasPending()) scheduleTlsRead();  // except what TLS already took from the system
}

void AsyncSocket::doBytesAvailable() {
    if (!theCurrentRead || !theReadStream || (theFlags & kReadingPaused)) return;
    if (theReadStream->status != StreamStatus::Open && theReadStream->status != StreamStatus::Reading) return;
    if (theTls && !theTls->isEstablished()) return;  // the handshake's bytes are not the delegate's
    const std::uint64_t connection = theConnectionId;
    ReadBuffer buffer;
    bool ended = false;
    int failure = 0;
    // Each chunk goes to the delegate as it came, with the current read's tag. The delegate may close the socket
    // (or even start a new connection on it): the loop stops as soon as this connection is gone.
    // A delegate that pauses reading, or starts TLS, from inside a delivery gets no further chunk from this event.
    for (int i = 0; i < kReadsPerEvent && theReadStream && theConnectionId == connection &&
                    !(theFlags & kReadingPaused) && !(theTls && !theTls->isEstablished());
         ++i) {
        const bool spliced = theFileSink.has_value();
        std::string refused;  // taken for a file that turned out to refuse splice
        ssize_t n = spliced ? spliceSome(failure, refused) : receiveSome(buffer.get(), kReadChunk, failure);
        if (n < 0) break;
        if (n == 0) {
            ended = true;
            break;
        }
        std::string_view data = spliced ? std::string_view(refused) : std::string_view(buffer.get(), std::size_t(n));
        if (!data.empty() && theConnectionId == connection && responds(AsyncSocketDelegate::Message::DidReadData))
            theDelegate->onSocketDidReadDataWithTag(this, data, theCurrentRead ? theCurrentRead->tag : 0);
        // Drained for now; level-triggered readiness brings the rest (a splice learns that from its next call).
        if (!spliced && std::size_t(n) < kReadChunk) break;
    }
    if (!theReadStream || theConnectionId != connection) return;
    if (failure) {
        theReadStream->status = StreamStatus::Error;
        theReadStream->error = failureError(failure);
        closeWithError(streamError());
    } else if (ended) {
        theReadStream->status = StreamStatus::AtEnd;
        doReadEnd();
    }
}

bool AsyncSocket::receiveIntoFile(int fd, off_t offset, FileSinkReport report) {
    int ends[2];
    if (theTls || fd < 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    theFileSink.emplace(FileSink{UniqueFd(ends[0]), UniqueFd(ends[1]), fd, offset, std::move(report)});
    ::fcntl(ends[1], F_SETPIPE_SZ, kSplicePipe);  // a smaller pipe (the system's limit) only moves less per call
    return true;
}

ssize_t AsyncSocket::spliceSome(int& failure, std::string& refused) {
    FileSink& sink = *theFileSink;
    ssize_t n;
    do {
        n = ::splice(theNative.get(), nullptr, sink.pipeIn.get(), nullptr, kReadChunk, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) failure = errno;
        return n;
    }
    std::size_t left = std::size_t(n);
    int error = 0;
    while (left > 0 && !error) {
        ssize_t w = ::splice(sink.pipeOut.get(), nullptr, sink.fd, &sink.offset, left, SPLICE_F_MOVE);
        if (w > 0) left -= std::size_t(w);
        else if (w < 0 && errno != EINTR) error = errno;
        else if (w == 0) error = EIO;
    }
    FileSinkReport report = sink.report;  // the sink may go while its report runs
    if (error == EINVAL || error == ENOSYS) {
        // A file the kernel cannot splice into (e.g. opened to append): what the pipe holds goes the usual way.
        refused.resize(left);
        ssize_t r;
        do {
            r = ::read(sink.pipeOut.get(), refused.data(), left);
        } while (r < 0 && errno == EINTR);
        refused.resize(r > 0 ? std::size_t(r) : 0);
        error = 0;
    }
    if (error || !refused.empty() || left > 0) theFileSink.reset();
    if (std::size_t(n) > left || error) report(std::uint64_t(n) - left, error);
    return n;
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
    if (w.startsTls) {
        doTlsHandshake();
        return;
    }
    // A file that fails or ends early fails the request like a failed send: the socket closes with the error.
    if (int failure = w.file ? sendFromFile(w) : sendFromBuffer(w)) {
        theWriteStream->status = StreamStatus::Error;
        theWriteStream->error = failureError(failure);
        closeWithError(streamError());
        return;
    }
    if (w.finished()) {
        completeCurrentWrite();
        scheduleDequeueWrite();
    }
}

// Each sends what the connection takes now and returns 0, or the errno of the failure.

int AsyncSocket::sendFromBuffer(AsyncWritePacket& w) {
    const std::string& data = *w.buffer;
    while (w.bytesDone < data.size()) {
        std::size_t piece = std::min(data.size() - w.bytesDone, isSecure() ? kTlsRecord : kWriteChunk);
        int failure = 0;
        ssize_t n = sendSome(data.data() + w.bytesDone, piece, failure);
        if (n <= 0) return failure;  // full for now (the next writable event goes on), or failed
        countSent(w, std::size_t(n));
    }
    return 0;
}

void AsyncSocket::setSendfileForTesting(bool allowed) { sendfileAllowed = allowed; }

int AsyncSocket::sendFromFile(AsyncWritePacket& w) {
    std::uint64_t budget = kFileBytesPerEvent;
    // Encrypted here unless the kernel does it: read and write it.
    if (!sendfileAllowed || (isSecure() && !theTls->kernelSends())) w.sendfileRefused = true;
    while (!w.finished() && budget > 0) {
        if (w.sendfileRefused) {
            if (int failure = sendStaged(w, budget)) return failure;
            if (!w.finished() && w.stagedDone < w.staged.size()) return 0;  // the connection is full
            continue;
        }
        std::size_t piece = std::size_t(std::min({w.toTake(), budget, std::uint64_t(kFileChunk)}));
        ssize_t n;
        if (isSecure()) {
            TlsConnection::Result r = theTls->sendFile(w.file.get(), w.offset, piece);
            if (r.status == TlsConnection::Status::WantWrite || r.status == TlsConnection::Status::WantRead) {
                theWriteWaitsFor = r.status == TlsConnection::Status::WantRead ? EPOLLIN : EPOLLOUT;
                return 0;
            }
            if (r.status != TlsConnection::Status::Done) return kTlsFailure;
            n = ssize_t(r.bytes);
            w.offset += off_t(n);
        } else {
            n = ::sendfile(theNative.get(), w.file.get(), &w.offset, piece);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
            if (errno == EINVAL || errno == ENOSYS) {
                w.sendfileRefused = true;  // e.g. a file system without it: read and send instead
                continue;
            }
            return errno;
        }
        if (n == 0) {
            if (w.length != AsyncWritePacket::kToEndOfFile) return EIO;  // shorter than promised
            w.atEnd = true;
            break;
        }
        w.taken += std::uint64_t(n);
        countSent(w, std::size_t(n));
        budget -= std::min(budget, std::uint64_t(n));
    }
    return 0;
}

int AsyncSocket::sendStaged(AsyncWritePacket& w, std::uint64_t& budget) {
    if (w.stagedDone == w.staged.size() && !(w.taken == w.length || w.atEnd)) {
        w.staged.resize(std::size_t(std::min(w.toTake(), std::uint64_t(kStagedChunk))));
        ssize_t r;
        do {
            r = ::pread(w.file.get(), w.staged.data(), w.staged.size(), w.offset);
        } while (r < 0 && errno == EINTR);
        if (r < 0) return errno;
        w.staged.resize(std::size_t(r));
        w.stagedDone = 0;
        if (r == 0) {
            if (w.length != AsyncWritePacket::kToEndOfFile) return EIO;  // shorter than promised
            w.atEnd = true;
            return 0;
        }
        w.offset += r;
        w.taken += std::uint64_t(r);
    }
    while (w.stagedDone < w.staged.size()) {
        int failure = 0;
        ssize_t n = sendSome(w.staged.data() + w.stagedDone, w.staged.size() - w.stagedDone, failure);
        if (n <= 0) return failure;
        w.stagedDone += std::size_t(n);
        countSent(w, std::size_t(n));
        budget -= std::min(budget, std::uint64_t(n));
    }
    return 0;
}

void AsyncSocket::countSent(AsyncWritePacket& w, std::size_t n) {
    // Only what the request was counted with leaves the count (a file up to its end may have grown since).
    std::uint64_t counted = w.size > w.bytesDone ? w.size - w.bytesDone : 0;
    theUnsentBytes -= std::min({theUnsentBytes, counted, std::uint64_t(n)});
    w.bytesDone += n;
}

void AsyncSocket::completeCurrentWrite() {
    if (responds(AsyncSocketDelegate::Message::DidWriteData))
        theDelegate->onSocketDidWriteDataWithTag(this, theCurrentWrite->tag);
    if (theCurrentWrite) endCurrentWrite();  // the delegate may have closed the socket
}

void AsyncSocket::endCurrentWrite() {
    theWriteTimer.cancel();
    const AsyncWritePacket& w = *theCurrentWrite;
    theUnsentBytes -= std::min(theUnsentBytes, w.size > w.bytesDone ? w.size - w.bytesDone : 0);
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
        if (events & (theReadWaitsFor | EPOLLHUP | EPOLLERR)) doBytesAvailable();
        if (theConnectionId != connection) return;
        if (events & theWriteWaitsFor) doSendBytes();
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
        bool handshaking = theTls && !theTls->isEstablished();
        if (reading && theCurrentRead && !(theFlags & kReadingPaused) && !handshaking) events |= theReadWaitsFor;
        if (writing && theCurrentWrite) events |= theWriteWaitsFor;
    }
    loop().updateWatch(theStreamWatch, events);
}
