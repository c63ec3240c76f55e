#pragma once
#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/RunLoop.h"

/// Looks up a host name without blocking the run loop: getaddrinfo runs on a short-lived thread and the answer
/// comes back on the loop through an eventfd. Destroying the resolver withdraws the answer (the thread finishes
/// on its own and its result is dropped).
class HostResolver {
public:
    /// `gaiCode` is 0 on success (then `address` holds the first result), else a getaddrinfo error code.
    using Callback = std::function<void(int gaiCode, const sockaddr_storage& address, socklen_t length)>;

    /// Starts looking up `host` for TCP `port`; `done` runs once, on `loop`, never from inside this call. If no
    /// thread or eventfd can be had, the look-up runs here instead and `done` still comes on the next turn.
    HostResolver(RunLoop& loop, const std::string& host, std::uint16_t port, Callback done);
    ~HostResolver();
    HostResolver(const HostResolver&) = delete;
    HostResolver& operator=(const HostResolver&) = delete;

    /// The one process-wide lock that every name look-up of the sockets holds.
    static std::mutex& lookupLock();
    /// Look-up threads still running, also those whose resolver is gone: a program (or test) about to exit waits
    /// for none, as a thread inside the system's resolver at exit can upset leak checkers.
    static int threadsRunning();

private:
    struct Answer;
    void deliver();

    RunLoop& loop_;
    Callback done_;
    std::shared_ptr<Answer> answer_;
    RunLoop::Handle watch_ = 0;
    RunLoop::Handle fallback_ = 0;
};
