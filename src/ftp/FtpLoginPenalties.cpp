#include "ftp/FtpLoginPenalties.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace {

using Seconds = std::chrono::duration<double>;

FtpLoginPenalties::Clock::duration ticks(double seconds) {
    return std::chrono::duration_cast<FtpLoginPenalties::Clock::duration>(Seconds(seconds));
}

}  // namespace

std::string FtpLoginPenalties::keyOf(const std::string& address) {
    in6_addr v6{};
    if (::inet_pton(AF_INET6, address.c_str(), &v6) != 1) return address;
    char text[INET6_ADDRSTRLEN];
    if (IN6_IS_ADDR_V4MAPPED(&v6)) return ::inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);
    std::memset(&v6.s6_addr[8], 0, 8);
    return std::string(::inet_ntop(AF_INET6, &v6, text, sizeof text)) + "/64";
}

double FtpLoginPenalties::waitFor(const std::string& address, Clock::time_point now) const {
    auto it = records_.find(keyOf(address));
    if (it == records_.end() || it->second.until <= now) return 0;
    return Seconds(it->second.until - now).count();
}

bool FtpLoginPenalties::hasFailed(const std::string& address) const {
    auto it = records_.find(keyOf(address));
    return it != records_.end() && it->second.failures > 0;
}

double FtpLoginPenalties::bookCheck(const std::string& address, Clock::time_point now) {
    const std::string key = keyOf(address);
    auto it = records_.find(key);
    if (it != records_.end() || loggedIn_.count(key)) {
        Record& record = it != records_.end() ? it->second : recordOf(key, now);
        const Clock::time_point at = std::max(now, record.until);
        record.until = at + ticks(kStep);
        return Seconds(at - now).count();
    }
    if (records_.size() < kManyAddresses) return 0;
    // Fresh addresses during a flood: one check every 1/kSharedChecksPerSecond s between them all.
    const Clock::time_point at = std::max(now, nextSharedCheck_);
    if (at - now > ticks(kLongestWait)) return -1;
    nextSharedCheck_ = at + ticks(1 / kSharedChecksPerSecond);
    return Seconds(at - now).count();
}

FtpLoginPenalties::Record& FtpLoginPenalties::recordOf(const std::string& key, Clock::time_point now) {
    auto it = records_.find(key);
    if (it != records_.end()) {
        byAge_.splice(byAge_.begin(), byAge_, it->second.age);
        return it->second;
    }
    if (records_.size() >= capacity_ && !byAge_.empty()) {
        records_.erase(byAge_.back());
        byAge_.pop_back();
    }
    byAge_.push_front(key);
    return records_.emplace(key, Record{0, now, byAge_.begin()}).first->second;
}

double FtpLoginPenalties::failed(const std::string& address, Clock::time_point now) {
    Record& record = recordOf(keyOf(address), now);
    const double penalty = std::min(kMax, kStep * ++record.failures);
    record.until = std::max(record.until, now + ticks(penalty));  // turns already booked stay booked
    return penalty;
}

void FtpLoginPenalties::succeeded(const std::string& address) {
    const std::string key = keyOf(address);
    if (loggedIn_.size() < capacity_) loggedIn_.insert(key);
    auto it = records_.find(key);
    if (it == records_.end()) return;
    byAge_.erase(it->second.age);
    records_.erase(it);
}
