#include "ftp/FolderEntryCounts.h"

#include <ctime>

namespace {

bool same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// A folder changed within the last seconds may change again within the same tick of the file system's clock
// without its times moving (a coarse clock, or whole seconds): its count is not kept until it has settled.
bool settled(const struct stat& st) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return st.st_mtim.tv_sec < now.tv_sec - 1 && st.st_ctim.tv_sec < now.tv_sec - 1;
}

}  // namespace

long FolderEntryCounts::count(const struct stat& st, const std::function<long()>& countNow) {
    const Folder folder{st.st_dev, st.st_ino};
    auto found = byFolder_.find(folder);
    if (found != byFolder_.end()) {
        Entry& e = *found->second;
        if (same(e.modified, st.st_mtim) && same(e.changed, st.st_ctim)) {
            recent_.splice(recent_.begin(), recent_, found->second);
            return e.count;
        }
        recent_.erase(found->second);
        byFolder_.erase(found);
    }
    const long n = countNow();
    // Nothing counted may mean a folder that could not be opened (no permission, no descriptor left): cheap to
    // ask again, and never worth remembering.
    if (n <= 0 || capacity_ == 0 || !settled(st)) return n;
    recent_.push_front(Entry{folder, st.st_mtim, st.st_ctim, n});
    byFolder_.emplace(folder, recent_.begin());
    if (byFolder_.size() > capacity_) {
        byFolder_.erase(recent_.back().folder);
        recent_.pop_back();
    }
    return n;
}

FolderEntryCounts& FolderEntryCounts::shared() {
    static FolderEntryCounts counts;
    return counts;
}
