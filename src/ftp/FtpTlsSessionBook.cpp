#include "ftp/FtpTlsSessionBook.h"

#include "ftp/FtpCommandLine.h"

void FtpTlsSessionBook::record(const std::string& context, const std::string& address,
                               const std::optional<std::string>& account) {
    auto it = owners_.find(context);
    if (it == owners_.end()) {
        if (owners_.size() >= capacity_ && !byAge_.empty()) {
            owners_.erase(byAge_.back());
            byAge_.pop_back();
        }
        byAge_.push_front(context);
        it = owners_.emplace(context, Owner{{}, {}, byAge_.begin()}).first;
    } else {
        byAge_.splice(byAge_.begin(), byAge_, it->second.age);
    }
    it->second.address = FtpCommandLine::plainAddress(address);
    it->second.account = account;
}

bool FtpTlsSessionBook::accepts(const std::string& context, const std::string& address,
                                const std::optional<std::string>& account) const {
    auto it = owners_.find(context);
    return it != owners_.end() && account && it->second.account == account &&
           it->second.address == FtpCommandLine::plainAddress(address);
}
