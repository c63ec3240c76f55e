#include "ftp/AtomicUpload.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>

#include "platform/Log.h"

namespace {

// Hidden (a leading dot), so listings that leave out dot files skip them anyway, and unlikely to be a user's name.
constexpr std::string_view kPrefix = ".velkaro-upload-";
constexpr int kNameAttempts = 8;

std::string temporaryName() {
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits))
        bits ^= static_cast<std::uint64_t>(::getpid()) << 32 ^ reinterpret_cast<std::uintptr_t>(&bits);
    static const char hex[] = "0123456789abcdef";
    std::string name(kPrefix);
    for (int i = 0; i < 16; ++i, bits >>= 4) name += hex[bits & 15];
    return name;
}

std::size_t removedLeftovers = 0;

int removeIfTemporary(const char* path, const struct stat* st, int type, struct FTW* at) {
    if (type == FTW_F && S_ISREG(st->st_mode) && AtomicUpload::isTemporaryName(path + at->base)) {
        if (::unlink(path) == 0) ++removedLeftovers;
    }
    return 0;
}

}  // namespace

AtomicUpload::AtomicUpload(int folderFd, std::string name, mode_t mode)
    : folder_(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0)), name_(std::move(name)) {
    if (!folder_) {
        error_ = lastSystemError();
        done_ = true;
        return;
    }
    for (int attempt = 0; attempt < kNameAttempts && !file_; ++attempt) {
        temporary_ = temporaryName();
        file_.reset(::openat(folder_.get(), temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             mode));
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        error_ = lastSystemError();
        done_ = true;
    }
}

AtomicUpload::~AtomicUpload() { abort(); }

Result<void> AtomicUpload::commit(bool replace) {
    if (done_) return systemError(EINVAL);
    const char *from = temporary_.c_str(), *to = name_.c_str();
    bool linked = false;
    int moved = ::renameat2(folder_.get(), from, folder_.get(), to, replace ? 0 : RENAME_NOREPLACE);
    // A file system without the no-replace rename: a new link fails just the same on a name that is taken.
    if (moved != 0 && !replace && (errno == EINVAL || errno == ENOSYS))
        linked = (moved = ::linkat(folder_.get(), from, folder_.get(), to, 0)) == 0;
    if (moved != 0) {
        const std::error_code error = lastSystemError();
        abort();
        return error;
    }
    if (linked) removeTemporary();
    done_ = true;
    file_.reset();
    return {};
}

void AtomicUpload::abort() {
    if (done_) return;
    done_ = true;
    removeTemporary();
    file_.reset();
}

void AtomicUpload::removeTemporary() {
    // Only the file made here: someone may have renamed it away and put another file under its name meanwhile.
    struct stat mine {}, there {};
    if (::fstat(file_.get(), &mine) == 0 &&
        ::fstatat(folder_.get(), temporary_.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        mine.st_dev == there.st_dev && mine.st_ino == there.st_ino)
        ::unlinkat(folder_.get(), temporary_.c_str(), 0);
}

bool AtomicUpload::isTemporaryName(std::string_view name) { return name.substr(0, kPrefix.size()) == kPrefix; }

std::size_t AtomicUpload::removeLeftovers(const std::string& folder) {
    removedLeftovers = 0;
    if (::nftw(folder.c_str(), removeIfTemporary, 16, FTW_PHYS) != 0) NSLog("Cannot walk %@ for leftover uploads", folder);
    return removedLeftovers;
}
