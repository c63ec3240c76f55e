#include "ftp/FtpLoginPenalties.h"

#include <algorithm>

double FtpLoginPenalties::waitFor(const std::string& address, Clock::time_point now) const {
    auto it = records_.find(address);
    if (it == records_.end() || it->second.until <= now) return 0;
    return std::chrono::duration<double>(it->second.until - now).count();
}

double FtpLoginPenalties::failed(const std::string& address, Clock::time_point now) {
    auto it = records_.find(address);
    if (it == records_.end()) {
        if (records_.size() >= capacity_ && !byAge_.empty()) {
            records_.erase(byAge_.back());
            byAge_.pop_back();
        }
        byAge_.push_front(address);
        it = records_.emplace(address, Record{0, now, byAge_.begin()}).first;
    } else {
        byAge_.splice(byAge_.begin(), byAge_, it->second.age);
    }
    Record& record = it->second;
    const double penalty = std::min(kMax, kStep * ++record.failures);
    record.until = now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(penalty));
    return penalty;
}

void FtpLoginPenalties::succeeded(const std::string& address) {
    auto it = records_.find(address);
    if (it == records_.end()) return;
    byAge_.erase(it->second.age);
    records_.erase(it);
}
