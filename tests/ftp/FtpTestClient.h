#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/RunLoop.h"

/// A small FTP client for tests, on the same thread as the server: every wait turns the main run loop (so the
/// server makes progress) and gives up after a time limit instead of hanging.
class FtpTestClient {
public:
    static constexpr int kTimeLimitMs = 5000;

    ~FtpTestClient() { close(); }

    /// Opens a non-blocking TCP connection to 127.0.0.1:port and waits until it is established.
    static int connectTo(std::uint16_t port) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return fd;
    }

    /// A loopback listener on a free port, for the active modes; returns its descriptor and port.
    static int listenLocal(std::uint16_t* port) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, 4);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        *port = ntohs(a.sin_port);
        return fd;
    }

    /// Turns the loop until `done()` or the time limit; returns `done()`.
    template <typename Pred>
    static bool turnUntil(Pred done, int limitMs = kTimeLimitMs) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            RunLoop::main().runOnce(5);
        }
        return true;
    }

    bool open(std::uint16_t port) {
        fd_ = connectTo(port);
        return fd_ >= 0;
    }

    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    void sendRaw(const std::string& bytes) {
        size_t done = 0;
        turnUntil([&] {
            ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0) done += static_cast<size_t>(n);
            return done == bytes.size() || (n < 0 && errno != EAGAIN && errno != ENOTCONN);
        });
    }

    /// The next complete reply (every line up to the one whose code is followed by a blank), lines joined by
    /// CR LF without the last one's; "" when none arrives in time.
    std::string reply() {
        std::string out;
        turnUntil([&] {
            pull();
            size_t start = 0;
            while (true) {
                size_t end = inbox_.find("\r\n", start);
                if (end == std::string::npos) return false;
                std::string line = inbox_.substr(start, end - start);
                if (line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) && line[3] == ' ') {
                    out = inbox_.substr(0, end);
                    inbox_.erase(0, end + 2);
                    return true;
                }
                start = end + 2;
            }
        });
        return out;
    }

    std::string command(const std::string& line) {
        sendRaw(line + "\r\n");
        return reply();
    }

    /// Whether the server closed the connection (within the time limit).
    bool waitClosed() {
        return turnUntil([&] { return pull() == 0; });
    }

    /// Bytes received but not yet taken as a reply.
    const std::string& inbox() {
        pull();
        return inbox_;
    }

    /// Reads `fd` until the peer closes it; "<timeout>" when it does not.
    static std::string readUntilClosed(int fd) {
        std::string data;
        bool closed = turnUntil([&] {
            char buf[65536];
            while (true) {
                ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n > 0) {
                    data.append(buf, static_cast<size_t>(n));
                    continue;
                }
                return n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOTCONN);
            }
        });
        return closed ? data : "<timeout>";
    }

    /// Sends all of `bytes` on a non-blocking `fd`, turning the loop while the kernel is full.
    static bool sendAll(int fd, const std::string& bytes) {
        size_t done = 0;
        return turnUntil([&] {
            while (done < bytes.size()) {
                ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
                if (n <= 0) return false;
                done += static_cast<size_t>(n);
            }
            return true;
        });
    }

    /// Accepts one connection on a listener, waiting within the time limit; -1 when none comes.
    static int acceptOne(int listenFd) {
        int fd = -1;
        turnUntil([&] { return (fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0; });
        return fd;
    }

    int fd() const { return fd_; }

private:
    // Reads what is there; returns 0 when the peer has closed, 1 otherwise.
    int pull() {
        char buf[4096];
        while (true) {
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n > 0) {
                inbox_.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n == 0) return 0;
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOTCONN) return 1;
            return 0;
        }
    }

    int fd_ = -1;
    std::string inbox_;
};
