#pragma once
// Helpers for the socket tests: a delegate that records every message, bounded stepping of the run loop, and
// plain blocking peers for the other end of a connection. Everything stays on loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/AsyncSocket.h"
#include "platform/RunLoop.h"

namespace nettest {

/// Turns the main loop until `done` holds or `ms` pass; false on time-out (the test then fails, never hangs).
inline bool pumpUntil(const std::function<bool()>& done, int ms = 3000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        RunLoop::main().runOnce(10);
    }
    return true;
}

/// Turns the main loop exactly `n` times without waiting for anything.
inline void turns(int n) {
    for (int i = 0; i < n; ++i) RunLoop::main().runOnce(0);
}

/// Runs pending loop work (e.g. withdrawn or leftover steps of an earlier test) for a short while.
inline void drain(int ms = 50) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) RunLoop::main().runOnce(5);
}

/// Records every delegate message as a short line and answers as configured.
class Recorder : public AsyncSocketDelegate {
public:
    std::vector<std::string> events;
    std::string received;                     // all bytes, in order
    std::vector<std::string> pieces;          // each onSocketDidReadDataWithTag chunk
    std::vector<std::int32_t> readTags;
    std::vector<std::int32_t> writeTags;
    std::optional<Error> lastError;
    bool sawWillDisconnect = false;
    int didDisconnect = 0;
    bool connected = false;
    bool secured = false;

    bool keepAccepted = true;
    std::vector<std::shared_ptr<AsyncSocket>> accepted;
    std::function<void(AsyncSocket*)> onAccept;       // runs on the new socket (e.g. to queue a read)
    bool willConnectAnswer = true;
    RunLoop* runLoopForNew = nullptr;                 // onSocketWantsRunLoopForNewSocket's answer
    std::optional<bool> readStreamEndedAnswer;        // empty: message not implemented
    std::function<void(AsyncSocket*)> onRead;         // after recording a chunk
    std::function<void(std::string_view)> onReadBytes;  // with the chunk itself, still during the delivery
    std::function<void(AsyncSocket*)> onWillDisconnect;
    std::function<void(AsyncSocket*)> onConnect;
    std::function<void(AsyncSocket*)> onWrite;
    std::function<void(AsyncSocket*)> onEnded;
    std::function<void(AsyncSocket*)> onDidDisconnect;

    bool respondsTo(Message m) const override {
        if (m == Message::ReadStreamEnded) return readStreamEndedAnswer.has_value();
        return AsyncSocketDelegate::respondsTo(m);
    }
    void onSocketDidAcceptNewSocket(AsyncSocket*, const std::shared_ptr<AsyncSocket>& s) override {
        events.push_back("accept");
        if (keepAccepted) accepted.push_back(s);
        if (onAccept) onAccept(s.get());
    }
    RunLoop* onSocketWantsRunLoopForNewSocket(AsyncSocket*, AsyncSocket*) override { return runLoopForNew; }
    bool onSocketWillConnect(AsyncSocket*) override {
        events.push_back("willConnect");
        return willConnectAnswer;
    }
    void onSocketDidConnectToHostPort(AsyncSocket* s, const std::string& host, std::uint16_t port) override {
        events.push_back("connect " + host + " " + std::to_string(port));
        connected = true;
        if (onConnect) onConnect(s);
    }
    void onSocketDidReadDataWithTag(AsyncSocket* s, std::string_view data, std::int32_t tag) override {
        events.push_back("read " + std::to_string(tag));
        received.append(data);
        pieces.emplace_back(data);
        readTags.push_back(tag);
        if (onRead) onRead(s);
        if (onReadBytes) onReadBytes(data);
    }
    void onSocketDidWriteDataWithTag(AsyncSocket* s, std::int32_t tag) override {
        events.push_back("wrote " + std::to_string(tag));
        writeTags.push_back(tag);
        if (onWrite) onWrite(s);
    }
    bool onReadStreamEnded(AsyncSocket* s) override {
        events.push_back("ended");
        if (onEnded) onEnded(s);
        return *readStreamEndedAnswer;
    }
    void onSocketWillDisconnectWithError(AsyncSocket* s, const std::optional<Error>& err) override {
        events.push_back(err ? "willDisconnect " + err->domain + " " + std::to_string(err->code) : "willDisconnect");
        lastError = err;
        sawWillDisconnect = true;
        if (onWillDisconnect) onWillDisconnect(s);
    }
    void onSocketDidDisconnect(AsyncSocket* s) override {
        events.push_back("didDisconnect");
        ++didDisconnect;
        if (onDidDisconnect) onDidDisconnect(s);
    }
    void onSocketDidSecure(AsyncSocket*) override {
        events.push_back("secure");
        secured = true;
    }
};

/// A blocking peer socket connected to 127.0.0.1:port (or ::1), for the far end of a test connection.
class Peer {
public:
    explicit Peer(std::uint16_t port, bool v6 = false) {
        fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        timeval tv{3, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        if (v6) {
            sockaddr_in6 a{};
            a.sin6_family = AF_INET6;
            a.sin6_port = htons(port);
            a.sin6_addr = in6addr_loopback;
            ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        } else {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(port);
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        }
    }
    ~Peer() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return ok_; }
    int fd() const { return fd_; }
    void send(const std::string& s) { ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL); }
    void shutdownWrite() { ::shutdown(fd_, SHUT_WR); }
    void close() {
        ::close(fd_);
        fd_ = -1;
    }
    /// Whatever is readable now, without blocking; "eof" is set when the other side has closed.
    std::string readAvailable(bool* eof = nullptr) {
        std::string out;
        char buf[65536];
        for (;;) {
            ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                out.append(buf, std::size_t(n));
                continue;
            }
            if (n == 0 && eof) *eof = true;
            break;
        }
        return out;
    }

private:
    int fd_ = -1;
    bool ok_ = false;
};

}  // namespace nettest
