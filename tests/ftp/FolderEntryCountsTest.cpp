#include "ftp/FolderEntryCounts.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// A folder's attributes as the listing sees them; its times lie long enough in the past to be settled.
struct stat folder(ino_t inode, long modified, long changed, dev_t device = 1) {
    struct stat st {};
    st.st_dev = device;
    st.st_ino = inode;
    st.st_mtim = {1'700'000'000, modified};
    st.st_ctim = {1'700'000'000, changed};
    return st;
}

}  // namespace

TEST(FolderEntryCounts, AFolderIsReadAgainOnlyWhenItChanged) {
    struct Step {
        const char* what;
        struct stat st;
        long onDisk;  // what reading the folder now finds
        long shown;   // what the cache answers
        bool read;    // whether it read the folder
    };
    const Step steps[] = {
        {"first sight", folder(10, 5, 5), 3, 3, true},
        {"unchanged", folder(10, 5, 5), 99, 3, false},
        {"entry added: both times move", folder(10, 6, 6), 4, 4, true},
        {"permissions changed: change time only", folder(10, 6, 7), 5, 5, true},
        {"same inode on another device", folder(10, 6, 7, 2), 8, 8, true},
        {"empty or unreadable: never kept", folder(11, 1, 1), 0, 0, true},
        {"asked again", folder(11, 1, 1), 0, 0, true},
        {"back to the first", folder(10, 6, 7), 99, 5, false},
    };
    FolderEntryCounts counts;
    for (const Step& s : steps) {
        bool read = false;
        EXPECT_EQ(counts.count(s.st,
                               [&] {
                                   read = true;
                                   return s.onDisk;
                               }),
                  s.shown)
            << s.what;
        EXPECT_EQ(read, s.read) << s.what;
    }

    // A folder changed a moment ago may change again within the same tick of its clock: not kept yet.
    struct stat fresh = folder(12, 0, 0);
    fresh.st_mtim.tv_sec = fresh.st_ctim.tv_sec = std::time(nullptr);
    counts.count(fresh, [] { return 2L; });
    EXPECT_EQ(counts.count(fresh, [] { return 7L; }), 7);
}

TEST(FolderEntryCounts, TheLeastRecentlyUsedGoPastTheCapacity) {
    FolderEntryCounts counts(3);
    auto ask = [&](ino_t inode) {
        bool read = false;
        counts.count(folder(inode, 0, 0), [&] {
            read = true;
            return 1L;
        });
        return read;
    };
    for (ino_t i : {1, 2, 3}) EXPECT_TRUE(ask(i));
    EXPECT_FALSE(ask(1));  // 1 is now the most recent
    EXPECT_TRUE(ask(4));   // 2, the least recent, goes
    EXPECT_EQ(counts.size(), 3u);
    EXPECT_FALSE(ask(1));
    EXPECT_TRUE(ask(2));
}
