#include "ftp/FtpMemoryBudget.h"

#include <algorithm>

#include "ftp/FtpLoginPenalties.h"

bool FtpMemoryBudget::reserve(const std::string& address, std::uint64_t bytes) {
    const std::string key = FtpLoginPenalties::keyOf(address);
    auto it = byAddress_.find(key);
    const std::uint64_t held = it == byAddress_.end() ? 0 : it->second;
    if (held > 0 && held + bytes > perAddress_) return false;
    if (reserved_ > 0 && reserved_ + bytes > total_) return false;
    reserved_ += bytes;
    byAddress_[key] = held + bytes;
    return true;
}

void FtpMemoryBudget::release(const std::string& address, std::uint64_t bytes) {
    auto it = byAddress_.find(FtpLoginPenalties::keyOf(address));
    if (it == byAddress_.end()) return;
    bytes = std::min(bytes, it->second);
    reserved_ -= std::min(bytes, reserved_);
    if ((it->second -= bytes) == 0) byAddress_.erase(it);
}
