// AsyncSocket: listening, accepting and connecting, and the opening of a connection's two directions.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "net/AsyncSocket.h"
#include "net/HostResolver.h"
#include "platform/Log.h"

namespace {

Error lookupError(int code) { return Error{kCFStreamErrorDomainNetDB, code, ::gai_strerror(code)}; }

constexpr double kAcceptRetrySeconds = 0.2;  // pause of accepting at the descriptor limit

}  // namespace

void AsyncSocket::requireDelegateAndIdle(const char* noDelegateReason, const char* busyReason) const {
    if (!theDelegate) throw AsyncSocketException(noDelegateReason);
    if (getCFSocket() >= 0) throw AsyncSocketException(busyReason);
}

bool AsyncSocket::askWillConnect(Error* err) {
    if (!responds(AsyncSocketDelegate::Message::WillConnect)) return true;
    AsyncSocketDelegate* asked = theDelegate;
    bool go = asked->onSocketWillConnect(this);
    if (go || !stillResponds(asked, AsyncSocketDelegate::Message::WillConnect)) return true;
    if (err) *err = errorWithCode(AsyncSocketCanceledError);
    return false;
}

// --- Listening ---

bool AsyncSocket::acceptOnPort(std::uint16_t port, Error* err) { return acceptOnAddress("", port, err); }

bool AsyncSocket::acceptOnAddress(const std::string& address, std::uint16_t port, Error* err) {
    requireDelegateAndIdle("Attempting to accept without a delegate. Set a delegate first.",
                           "Attempting to accept while connected or accepting connections. Disconnect first.");
    sockaddr_in a4{};
    sockaddr_in6 a6{};
    bool has4 = false, has6 = false;
    a4.sin_family = AF_INET;
    a4.sin_port = htons(port);
    a6.sin6_family = AF_INET6;
    a6.sin6_port = htons(port);
    if (address.empty()) {
        a4.sin_addr.s_addr = htonl(INADDR_ANY);
        a6.sin6_addr = in6addr_any;
        has4 = has6 = true;
    } else if (address == "localhost" || address == "loopback") {
        a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a6.sin6_addr = in6addr_loopback;
        has4 = has6 = true;
    } else {
        addrinfo hints{};
        hints.ai_flags = AI_PASSIVE;
        hints.ai_family = PF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* list = nullptr;
        int rc;
        {
            std::lock_guard<std::mutex> guard(HostResolver::lookupLock());
            rc = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &list);
        }
        if (rc != 0) {
            if (err) *err = lookupError(rc);
            return false;
        }
        for (addrinfo* ai = list; ai; ai = ai->ai_next) {
            if (ai->ai_family == AF_INET && !has4) {
                std::memcpy(&a4, ai->ai_addr, sizeof a4);
                has4 = true;
            } else if (ai->ai_family == AF_INET6 && !has6) {
                std::memcpy(&a6, ai->ai_addr, sizeof a6);
                has6 = true;
            }
        }
        ::freeaddrinfo(list);
        if (!has4 && !has6) return false;
    }

    // A failed listen releases only the listeners: read and write requests queued meanwhile stay queued.
    auto fail = [&] {
        if (err) *err = errorWithCode(AsyncSocketCFSocketError);
        for (auto [fd, source] : {std::pair{&theSocket, &theSource}, std::pair{&theSocket6, &theSource6}}) {
            if (*source) loop().removeWatch(*source);
            fd->reset();
            *source = 0;
        }
        return false;
    };
    // An IPv6 listener that cannot be made leaves the socket on IPv4 alone; one that cannot bind is a failure.
    if (has4 && !(theSocket = makeListener(AF_INET))) return fail();
    if (has6) theSocket6 = makeListener(AF_INET6);
    if (!theSocket && !theSocket6) return fail();
    if (theSocket && !bindAndListen(theSocket.get(), reinterpret_cast<sockaddr*>(&a4), sizeof a4)) return fail();
    if (port == 0 && theSocket && theSocket6) a6.sin6_port = htons(localPort());
    if (theSocket6 && !bindAndListen(theSocket6.get(), reinterpret_cast<sockaddr*>(&a6), sizeof a6)) return fail();
    if (theSocket) watchListener(theSocket.get(), theSource);
    if (theSocket6) watchListener(theSocket6.get(), theSource6);
    if ((theSocket && !theSource) || (theSocket6 && !theSource6)) return fail();
    theFlags |= kDidPassConnectMethod;
    return true;
}

UniqueFd AsyncSocket::makeListener(int family) {
    UniqueFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) return fd;
    int one = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Linux lets an IPv6 listener on :: take IPv4 connections too, which would collide with the IPv4 listener on
    // the same port; each family gets its own listener instead.
    if (family == AF_INET6) ::setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
    return fd;
}

bool AsyncSocket::bindAndListen(int fd, const sockaddr* addr, socklen_t len) {
    return ::bind(fd, addr, len) == 0 && ::listen(fd, SOMAXCONN) == 0;
}

void AsyncSocket::watchListener(int fd, RunLoop::Handle& source) {
    source = loop().watchFd(fd, EPOLLIN, [this, fd](std::uint32_t events) {
        auto keep = weak_from_this().lock();
        if (events & EPOLLIN)
            doAcceptEvent(fd);
        else
            NSLog("AsyncSocket %@ received unexpected CFSocketCallBackType %d.", identity(), int(events));
    });
}

// --- Accepting ---

void AsyncSocket::doAcceptEvent(int listenFd) {
    // One connection per event: a listener that its owner drops while accepting takes no further connection; the
    // loop reports the next one on its next turn while the listener lives.
    int fd;
    do {
        fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The connection stays waiting in the backlog, so the listener stays readable: watching it now would
            // spin the loop. Stop watching and try again shortly; connections already open are served meanwhile.
            if (!theAcceptLimitLogged)
                NSLog("AsyncSocket %@ cannot accept: %@; trying again every %.1f s", identity(), std::strerror(errno),
                      kAcceptRetrySeconds);
            theAcceptLimitLogged = true;
            RunLoop::Handle& source = listenFd == theSocket.get() ? theSource : theSource6;
            loop().removeWatch(source);
            source = 0;
            if (!theAcceptRetry.pending()) theAcceptRetry = defer(kAcceptRetrySeconds, &AsyncSocket::resumeAccepting);
        }
        return;
    }
    theAcceptLimitLogged = false;
    // The listening socket keeps no reference: the new socket lives on only if the delegate keeps it.
    auto newSocket = std::make_shared<AsyncSocket>(theDelegate, 0, loop());
    if (responds(AsyncSocketDelegate::Message::DidAcceptNewSocket))
        theDelegate->onSocketDidAcceptNewSocket(this, newSocket);
    RunLoop* runLoop = nullptr;
    if (responds(AsyncSocketDelegate::Message::WantsRunLoopForNewSocket))
        runLoop = theDelegate->onSocketWantsRunLoopForNewSocket(this, newSocket.get());
    if (runLoop) newSocket->theRunLoop = runLoop;
    newSocket->setUpAcceptedSocket(fd);
}

void AsyncSocket::resumeAccepting() {
    theAcceptRetry = Deferred{};  // it has fired
    if (theSocket && !theSource) watchListener(theSocket.get(), theSource);
    if (theSocket6 && !theSource6) watchListener(theSocket6.get(), theSource6);
}

void AsyncSocket::setUpAcceptedSocket(int fd) {
    createStreamsFromNative(fd);
    // A refusal closes the new socket quietly: being unstarted it sends nothing.
    if (!askWillConnect(nullptr) || !openStreams(nullptr)) {
        close();
        return;
    }
    theFlags |= kDidPassConnectMethod;
}

// --- Connecting ---

bool AsyncSocket::connectToHost(const std::string& host, std::uint16_t port, Error* err) {
    requireDelegateAndIdle("Attempting to connect without a delegate. Set a delegate first.",
                           "Attempting to connect while connected or accepting connections. Disconnect first.");
    // Numeric addresses (all the FTP server ever connects to) connect at once. A name is looked up off the loop
    // (HostResolver); until the answer comes both directions are opening, and a failed look-up closes the socket
    // with the look-up's error like any failed connection.
    sockaddr_storage ss{};
    socklen_t len = 0;
    auto* s4 = reinterpret_cast<sockaddr_in*>(&ss);
    auto* s6 = reinterpret_cast<sockaddr_in6*>(&ss);
    if (::inet_pton(AF_INET, host.c_str(), &s4->sin_addr) == 1) {
        s4->sin_family = AF_INET;
        s4->sin_port = htons(port);
        len = sizeof *s4;
    } else if (::inet_pton(AF_INET6, host.c_str(), &s6->sin6_addr) == 1) {
        s6->sin6_family = AF_INET6;
        s6->sin6_port = htons(port);
        len = sizeof *s6;
    }
    int fd = -1;
    if (len) {
        fd = ::socket(ss.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            if (err) *err = posixError(errno);
            return false;
        }
    }
    createStreamsFromNative(fd);
    if (!askWillConnect(err)) {
        close();
        return false;
    }
    if (len) {
        if (!connectStreams(reinterpret_cast<sockaddr*>(&ss), len, err)) {
            close();
            return false;
        }
    } else {
        theReadStream->status = theWriteStream->status = StreamStatus::Opening;
        theResolver = std::make_unique<HostResolver>(
            loop(), host, port, [this](int code, const sockaddr_storage& address, socklen_t length) {
                auto keep = weak_from_this().lock();
                doHostResolved(code, address, length);
            });
    }
    theFlags |= kDidPassConnectMethod;
    return true;
}

bool AsyncSocket::connectStreams(const sockaddr* address, socklen_t length, Error* err) {
    if (::connect(theNative.get(), address, length) != 0 && errno != EINPROGRESS) {
        // Reported on the next turn like a connection that fails later.
        setStreamsFailed(posixError(errno));
        return true;
    }
    return openStreams(err);
}

void AsyncSocket::doHostResolved(int code, const sockaddr_storage& address, socklen_t length) {
    theResolver.reset();
    if (code != 0) {
        setStreamsFailed(lookupError(code));
        return;
    }
    theNative.reset(::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!theNative) {
        setStreamsFailed(posixError(errno));
        return;
    }
    Error err;
    if (!connectStreams(reinterpret_cast<const sockaddr*>(&address), length, &err)) closeWithError(err);
}

bool AsyncSocket::connectToAddress(const sockaddr* address, socklen_t length, Error* err) {
    requireDelegateAndIdle("Attempting to connect without a delegate. Set a delegate first.",
                           "Attempting to connect while connected or accepting connections. Disconnect first.");
    auto fail = [&](const Error& e) {
        if (err) *err = e;
        close();
        return false;
    };
    int family = address ? address->sa_family : AF_UNSPEC;
    socklen_t need = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    if ((family != AF_INET && family != AF_INET6) || length < need)
        return fail(errorWithCode(AsyncSocketCFSocketError));
    int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return fail(errorWithCode(AsyncSocketCFSocketError));
    (family == AF_INET ? theSocket : theSocket6).reset(fd);
    RunLoop::Handle& source = family == AF_INET ? theSource : theSource6;
    source = loop().watchFd(fd, EPOLLOUT, [this, fd](std::uint32_t) {
        auto keep = weak_from_this().lock();
        doConnectCompletion(fd);
    });
    if (!source) return fail(errorWithCode(AsyncSocketCFSocketError));
    Error cancel;
    if (!askWillConnect(&cancel)) return fail(cancel);
    if (::connect(fd, address, need) != 0 && errno != EINPROGRESS) return fail(errorWithCode(AsyncSocketCFSocketError));
    theFlags |= kDidPassConnectMethod;
    return true;
}

void AsyncSocket::doConnectCompletion(int fd) {
    if (pendingSocketError(fd) != 0) {
        closeWithError(errorWithCode(AsyncSocketCFSocketError));
        return;
    }
    // The connected socket moves from the handle to the streams; the handle goes without closing it.
    const bool v4 = fd == theSocket.get();
    loop().removeWatch(v4 ? theSource : theSource6);
    (v4 ? theSource : theSource6) = 0;
    createStreamsFromNative((v4 ? theSocket : theSocket6).release());
    Error err;
    if (!openStreams(&err)) closeWithError(err);
}

// --- The two directions of a connection ---

void AsyncSocket::createStreamsFromNative(int fd) {
    theNative.reset(fd);
    theReadStream = std::make_unique<Stream>();
    theWriteStream = std::make_unique<Stream>();
}

bool AsyncSocket::openStreams(Error* err) {
    // Both directions are open once the socket is writable with no pending error: at once for an accepted
    // connection, when the handshake ends for an outgoing one.
    theStreamWatch = loop().watchFd(theNative.get(), EPOLLOUT, [this](std::uint32_t events) {
        auto keep = weak_from_this().lock();
        doStreamEvent(events);
    });
    if (!theStreamWatch) {
        Error e = posixError(EBADF);
        NSLog("AsyncSocket %@ couldn't open read stream,", identity());
        if (err) *err = e;
        return false;
    }
    theReadStream->status = theWriteStream->status = StreamStatus::Opening;
    return true;
}

void AsyncSocket::setStreamsFailed(const Error& err) {
    theReadStream->status = theWriteStream->status = StreamStatus::Error;
    theReadStream->error = theWriteStream->error = err;
    pendingStreamError_ = defer(0, &AsyncSocket::doStreamFailed);
}

void AsyncSocket::doStreamFailed() { closeWithError(streamError()); }

void AsyncSocket::doStreamOpen() {
    if (!streamsConnected()) return;
    if (theFlags & kDidCompleteConnection) return;
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    if (::getpeername(theNative.get(), reinterpret_cast<sockaddr*>(&peer), &len) != 0) {
        Error e = errorWithCode(AsyncSocketCFSocketError);
        NSLog("AsyncSocket %@ couldn't get socket from streams, %@. Disconnecting.", identity(),
              e.localizedDescription);
        closeWithError(e);
        return;
    }
    theNativeFamily = peer.ss_family;
    theFlags |= kDidCompleteConnection;
    if (responds(AsyncSocketDelegate::Message::DidConnectToHost))
        theDelegate->onSocketDidConnectToHostPort(this, connectedHost(), connectedPort());
    maybeDequeueRead();
    maybeDequeueWrite();
}
