#pragma once
#include <chrono>
#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

/// What the server remembers of failed logins, per client address: how long a further login from that address
/// waits before its password is looked at. Bounded: past `capacity` addresses the one whose last failure is the
/// oldest is forgotten, never all at once (a flood from many addresses must not clear a guesser's penalty).
class FtpLoginPenalties {
public:
    using Clock = std::chrono::steady_clock;
    /// Seconds added to an address's penalty per failure, and the most it comes to.
    static constexpr double kStep = 1;
    static constexpr double kMax = 8;

    explicit FtpLoginPenalties(std::size_t capacity = 4096) : capacity_(capacity) {}

    /// Seconds from `now` until a login from `address` may be checked (0 for an address without failures).
    double waitFor(const std::string& address, Clock::time_point now) const;
    /// A failure from `address` at `now`: returns its new penalty in seconds, which runs from `now`.
    double failed(const std::string& address, Clock::time_point now);
    /// A login from `address` succeeded: its failures are forgotten.
    void succeeded(const std::string& address);
    std::size_t size() const { return records_.size(); }

private:
    struct Record {
        int failures = 0;
        Clock::time_point until;
        std::list<std::string>::iterator age;  // place in byAge_
    };
    std::size_t capacity_;
    std::list<std::string> byAge_;  // the most recent failure first
    std::unordered_map<std::string, Record> records_;
};
