// AsyncSocket: creation, the delegate, queries, closing, error values and the description. Starting (listen,
// accept, connect) is in AsyncSocketStart.cpp, reads and writes in AsyncSocketTransfer.cpp.
#include "net/AsyncSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <cstring>

#include "net/HostResolver.h"
#include "platform/Format.h"
#include "platform/Resources.h"

namespace {

struct PeerOrSelf {
    bool ok = false;
    std::string host;
    std::uint16_t port = 0;
};

// The address of either end of `fd` as text and port; nothing when the system has none (not connected yet).
PeerOrSelf addressOf(int fd, bool peer) {
    PeerOrSelf out;
    if (fd < 0) return out;
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    int r = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&ss), &len)
                 : ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
    if (r != 0) return out;
    char text[46];
    const void* bytes;
    if (ss.ss_family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&ss);
        bytes = &a->sin_addr;
        out.port = ntohs(a->sin_port);
    } else {
        auto* a = reinterpret_cast<sockaddr_in6*>(&ss);
        bytes = &a->sin6_addr;
        out.port = ntohs(a->sin6_port);
    }
    if (!::inet_ntop(ss.ss_family == AF_INET ? AF_INET : AF_INET6, bytes, text, sizeof text))
        throw AsyncSocketException("Cannot convert address to string.", "NSInternalInconsistencyException");
    out.ok = true;
    out.host = text;
    return out;
}

// "host port" for one handle, "host4/host6 port4" for both, "nowhere" for none.
std::string endpointText(int fd4, int fd6, bool peer) {
    if (fd4 < 0 && fd6 < 0) return "nowhere";
    if (fd4 >= 0 && fd6 >= 0) {
        auto a = addressOf(fd4, peer), b = addressOf(fd6, peer);
        return format("%@/%@ %u", a.host, b.host, unsigned(a.port));
    }
    auto a = addressOf(fd4 >= 0 ? fd4 : fd6, peer);
    return format("%@ %u", a.host, unsigned(a.port));
}

std::string pointerText(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    return buf;
}

const char* statusWord(const AsyncSocket::Stream* s) {
    switch (s ? s->status : AsyncSocket::StreamStatus::NotOpen) {
        case AsyncSocket::StreamStatus::NotOpen: return "not open";
        case AsyncSocket::StreamStatus::Opening: return "opening";
        case AsyncSocket::StreamStatus::Open: return "open";
        case AsyncSocket::StreamStatus::Reading: return "reading";
        case AsyncSocket::StreamStatus::Writing: return "writing";
        case AsyncSocket::StreamStatus::AtEnd: return "at end";
        case AsyncSocket::StreamStatus::Closed: return "closed";
        case AsyncSocket::StreamStatus::Error: return "has error";
    }
    return "not open";
}

int percentDone(std::size_t done, std::size_t length) {
    if (done == 0) return 0;
    if (length == 0) return 100;
    return static_cast<int>(static_cast<float>(done) / static_cast<float>(length) * 100);
}

}  // namespace

void AsyncSocket::Deferred::cancel() {
    if (loop) loop->cancel(handle);
    loop = nullptr;
    handle = 0;
}

AsyncSocket::AsyncSocket(AsyncSocketDelegate* delegate, std::int32_t userData, RunLoop& loop)
    : theRunLoop(&loop), theUserData(userData) {
    setDelegate(delegate);
}

AsyncSocket::~AsyncSocket() {
    close();
    // The delegate never hears of a socket that no longer exists, and nothing aimed at it may run.
    for (Deferred& d : pendingDidDisconnect_) d.cancel();
    pendingDequeueRead_.cancel();
    pendingDequeueWrite_.cancel();
    pendingDisconnect_.cancel();
    pendingStreamError_.cancel();
    pendingTlsRead_.cancel();
    setDelegate(nullptr);
}

void AsyncSocket::setDelegate(AsyncSocketDelegate* delegate) {
    if (theDelegate == delegate) return;
    if (theDelegate) std::erase(theDelegate->sockets_, this);
    theDelegate = delegate;
    if (theDelegate) theDelegate->sockets_.push_back(this);
}

bool AsyncSocket::canSafelySetDelegate() const {
    return theReadQueue.empty() && theWriteQueue.empty() && !theCurrentRead && !theCurrentWrite;
}

bool AsyncSocket::responds(AsyncSocketDelegate::Message m) const { return theDelegate && theDelegate->respondsTo(m); }

bool AsyncSocket::stillResponds(AsyncSocketDelegate* asked, AsyncSocketDelegate::Message m) const {
    // A delegate destroyed during the call has been forgotten (theDelegate changed): its answer stands.
    return theDelegate != asked || asked->respondsTo(m);
}

RunLoop& AsyncSocket::loop() const { return *theRunLoop; }

AsyncSocket::Deferred AsyncSocket::defer(double seconds, void (AsyncSocket::*step)()) {
    RunLoop& l = loop();
    // Raw `this` is safe: the destructor withdraws every pending step. The strong reference only keeps the socket
    // alive while the step runs, in case the step's delegate messages drop the owner's last reference.
    RunLoop::Handle h = l.runAfter(seconds, [this, step] {
        auto keep = weak_from_this().lock();
        (this->*step)();
    });
    return Deferred{&l, h};
}

std::string AsyncSocket::identity() const { return pointerText(this); }

// --- Queries ---

bool AsyncSocket::streamOpen(const std::unique_ptr<Stream>& s) const {
    return s && (s->status == StreamStatus::Open || s->status == StreamStatus::Reading ||
                 s->status == StreamStatus::Writing || s->status == StreamStatus::Error);
}

bool AsyncSocket::streamsConnected() const {
    auto readable = theReadStream && theReadStream->status != StreamStatus::Writing && streamOpen(theReadStream);
    auto writable = theWriteStream && theWriteStream->status != StreamStatus::Reading && streamOpen(theWriteStream);
    return readable && writable;
}

bool AsyncSocket::isConnected() const { return getCFSocket() >= 0 && streamsConnected(); }

std::string AsyncSocket::connectedHost() const { return addressOf(getCFSocket(), true).host; }
std::uint16_t AsyncSocket::connectedPort() const { return addressOf(getCFSocket(), true).port; }
std::string AsyncSocket::localHost() const { return addressOf(getCFSocket(), false).host; }
std::uint16_t AsyncSocket::localPort() const { return addressOf(getCFSocket(), false).port; }

std::string AsyncSocket::description() const {
    std::string s = format("<AsyncSocket %@", identity());
    s += format(" local %@ remote %@ ", endpointText(handle4(), handle6(), false),
                endpointText(handle4(), handle6(), true));
    s += format("has queued %d reads %d writes, ", int(theReadQueue.size()), int(theWriteQueue.size()));
    if (!theCurrentRead)
        s += "no current read, ";
    else
        s += format("current read tag %d, ", int(theCurrentRead->tag));
    if (!theCurrentWrite)
        s += "no current write, ";
    else
        s += format("currently written %u (%d%%), ", unsigned(theCurrentWrite->size),
                    percentDone(theCurrentWrite->bytesDone, std::size_t(theCurrentWrite->size)));
    s += format("read stream %@ %@, write stream %@ %@", pointerText(theReadStream.get()),
                statusWord(theReadStream.get()), pointerText(theWriteStream.get()), statusWord(theWriteStream.get()));
    if (theFlags & kDisconnectAfterWrites) s += ", will disconnect soon";
    if (!isConnected()) s += ", not connected";
    return s + ">";
}

// --- Errors ---

Error AsyncSocket::errorWithCode(AsyncSocketError code) {
    const char* key = "AsyncSocketCFSocketError";
    const char* english = "General CFSocket error";
    switch (code) {
        case AsyncSocketCanceledError: key = "AsyncSocketCanceledError"; english = "Connection canceled"; break;
        case AsyncSocketReadTimeoutError: key = "AsyncSocketReadTimeoutError"; english = "Read operation timed out"; break;
        case AsyncSocketWriteTimeoutError: key = "AsyncSocketWriteTimeoutError"; english = "Write operation timed out"; break;
        default: break;
    }
    std::string text = localizedString(key, "AsyncSocket");
    return Error{AsyncSocketErrorDomain, code, text == key ? english : text};
}

Error AsyncSocket::posixError(int code) { return Error{NSPOSIXErrorDomain, code, std::strerror(code)}; }

int AsyncSocket::pendingSocketError(int fd) {
    int e = 0;
    socklen_t len = sizeof e;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &e, &len) != 0) return errno;
    return e;
}

std::optional<Error> AsyncSocket::streamError() const {
    if (theReadStream && theReadStream->status == StreamStatus::Error && theReadStream->error)
        return theReadStream->error;
    if (theWriteStream && theWriteStream->status == StreamStatus::Error && theWriteStream->error)
        return theWriteStream->error;
    return std::nullopt;
}

// --- Closing ---

void AsyncSocket::disconnect() { close(); }

void AsyncSocket::emptyQueues() {
    endCurrentRead();
    if (theCurrentWrite) endCurrentWrite();
    theReadQueue.clear();
    theWriteQueue.clear();
    theUnsentBytes = 0;
    pendingDequeueRead_.cancel();
    pendingDequeueWrite_.cancel();
}

void AsyncSocket::closeWithError(const std::optional<Error>& err) {
    if (theFlags & kDidPassConnectMethod) {
        emptyQueues();
        // The streams and handles still exist here, so the delegate can still ask where the socket was connected.
        if (responds(AsyncSocketDelegate::Message::WillDisconnectWithError))
            theDelegate->onSocketWillDisconnectWithError(this, err);
    }
    close();
}

void AsyncSocket::close() {
    RunLoop& l = loop();
    emptyQueues();
    pendingDisconnect_.cancel();
    pendingStreamError_.cancel();
    theAcceptRetry.cancel();
    ++theConnectionId;
    theResolver.reset();  // a late answer has nobody to go to

    // Watches go before their descriptors close, so the loop never holds a stale descriptor.
    if (theStreamWatch) l.removeWatch(theStreamWatch);
    if (theSource) l.removeWatch(theSource);
    if (theSource6) l.removeWatch(theSource6);
    theStreamWatch = theSource = theSource6 = 0;

    theReadStream.reset();
    theWriteStream.reset();
    theFileSink.reset();
    if (theTls) theTls->shutdown();  // the closing alert tells the peer nothing was cut off
    theTls.reset();
    pendingTlsRead_.cancel();
    theReadWaitsFor = EPOLLIN;
    theWriteWaitsFor = EPOLLOUT;
    theNative.reset();
    theNativeFamily = AF_UNSPEC;
    theSocket.reset();
    theSocket6.reset();

    if ((theFlags & kDidPassConnectMethod) && responds(AsyncSocketDelegate::Message::DidDisconnect)) {
        std::erase_if(pendingDidDisconnect_, [](const Deferred& d) { return !d.pending(); });
        RunLoop::Handle h = l.defer([this] {
            auto keep = weak_from_this().lock();
            std::erase_if(pendingDidDisconnect_, [](const Deferred& d) { return !d.pending(); });
            if (responds(AsyncSocketDelegate::Message::DidDisconnect)) theDelegate->onSocketDidDisconnect(this);
        });
        pendingDidDisconnect_.push_back(Deferred{&l, h});
    }
    theFlags = 0;
}
