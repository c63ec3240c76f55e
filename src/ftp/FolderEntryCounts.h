#pragma once
#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>

/// Remembers how many entries each folder holds, so a listing does not read every sub-folder again on each LIST.
/// A count stays valid while the folder's modification and change times (in nanoseconds) are those it was counted
/// at: adding, removing or renaming an entry changes both, a change of permissions the change time. The least
/// recently used counts go once more than `capacity` folders are known. Used from one thread (the server's loop).
class FolderEntryCounts {
public:
    explicit FolderEntryCounts(std::size_t capacity = 4096) : capacity_(capacity) {}

    /// The entry count of the folder whose attributes are `st`: the remembered one while the folder is unchanged,
    /// else `countNow()`, remembered for next time.
    long count(const struct stat& st, const std::function<long()>& countNow);
    /// How many folders are remembered.
    std::size_t size() const { return byFolder_.size(); }

    /// The one cache the directory listing uses.
    static FolderEntryCounts& shared();

private:
    struct Folder {
        dev_t device;
        ino_t inode;
        bool operator==(const Folder&) const = default;
    };
    struct FolderHash {
        std::size_t operator()(const Folder& f) const { return std::hash<ino_t>()(f.inode) * 31 + f.device; }
    };
    struct Entry {
        Folder folder;
        timespec modified, changed;
        long count;
    };

    std::size_t capacity_;
    std::list<Entry> recent_;  // most recently used first
    std::unordered_map<Folder, std::list<Entry>::iterator, FolderHash> byFolder_;
};
