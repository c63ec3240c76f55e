#pragma once
#include <chrono>
#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>

/// What the server remembers of failed logins, per client address: how long a further login from that address
/// waits before its password is looked at. One book serves the FTP server and the web page of one program, so a
/// guesser gains nothing by switching between them. An IPv6 client is known by its /64: one host commonly holds
/// a whole /64 and can take a fresh address for every guess. Bounded: past `capacity` addresses the one whose
/// last failure is the oldest is forgotten, never all at once (a flood from many addresses must not clear a
/// guesser's penalty); and once many addresses have failed, the addresses without a record share a budget of
/// checked passwords a second, so rotating through fresh addresses gains no speed either. An address that
/// logged in during this run (the owner's) keeps out of that shared budget.
class FtpLoginPenalties {
public:
    using Clock = std::chrono::steady_clock;
    /// Seconds added to an address's penalty per failure, and the most it comes to.
    static constexpr double kStep = 1;
    static constexpr double kMax = 8;
    /// Addresses on record from which the shared budget applies, and that budget: checks a second, and how far
    /// ahead a check may be booked before a login is refused rather than made to wait.
    static constexpr std::size_t kManyAddresses = 16;
    static constexpr double kSharedChecksPerSecond = 4;
    static constexpr double kLongestWait = 30;

    explicit FtpLoginPenalties(std::size_t capacity = 4096) : capacity_(capacity) {}

    /// The key `address` is remembered by: an IPv6 address's first 64 bits ("2001:db8:1:2::/64"), an IPv4
    /// address (also written as ::ffff:a.b.c.d) as it is.
    static std::string keyOf(const std::string& address);

    /// Seconds from `now` until a login from `address` may be checked (0 for an address without failures).
    double waitFor(const std::string& address, Clock::time_point now) const;
    /// Books the check of a login's password from `address`: the seconds from `now` it waits first, or -1 when
    /// it is refused (the shared budget is booked more than kLongestWait ahead). Checks from an address with
    /// failures, or from one that logged in during this run, take turns a step apart: logins sent at once are
    /// not all checked when the penalty ends, and the owner's address, whose logins are never refused for being
    /// many, gets no more checks than that.
    double bookCheck(const std::string& address, Clock::time_point now);
    /// A failure from `address` at `now`: returns its new penalty in seconds, which runs from `now`.
    double failed(const std::string& address, Clock::time_point now);
    /// A login from `address` succeeded: its failures are forgotten, and it is known as the owner's.
    void succeeded(const std::string& address);
    /// Whether a login from `address` succeeded during this run.
    bool hasLoggedIn(const std::string& address) const { return loggedIn_.count(keyOf(address)) > 0; }
    /// Whether logins from `address` failed since its last success.
    bool hasFailed(const std::string& address) const;
    std::size_t size() const { return records_.size(); }

private:
    struct Record {
        int failures = 0;
        Clock::time_point until;
        std::list<std::string>::iterator age;  // place in byAge_
    };
    /// The record of `key`, made when missing (the one whose last failure is the oldest giving way).
    Record& recordOf(const std::string& key, Clock::time_point now);

    std::size_t capacity_;
    std::list<std::string> byAge_;  // the most recent failure first
    std::unordered_map<std::string, Record> records_;
    std::unordered_set<std::string> loggedIn_;  // bounded by `capacity_` too
    Clock::time_point nextSharedCheck_{};
};
