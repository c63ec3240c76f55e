#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

/// The memory the server lets its clients' queued work (listings waiting to be sent) take: `total` for all of
/// them, and a share of it per client address (an IPv6 client by its /64), so a few addresses asking for
/// listings they never read cannot leave every other client with "busy". One piece of work is always taken for
/// an address that holds none, whatever its size, while the total allows.
class FtpMemoryBudget {
public:
    explicit FtpMemoryBudget(std::uint64_t total = 128 << 20, std::uint64_t perAddress = 8 << 20)
        : total_(total), perAddress_(perAddress) {}

    /// Takes `bytes` for `address`; false, taking nothing, when its share or the total would be exceeded.
    bool reserve(const std::string& address, std::uint64_t bytes);
    /// Gives back what `reserve` took for `address`.
    void release(const std::string& address, std::uint64_t bytes);
    std::uint64_t reserved() const { return reserved_; }

private:
    std::uint64_t total_, perAddress_, reserved_ = 0;
    std::unordered_map<std::string, std::uint64_t> byAddress_;  // only addresses holding something
};
