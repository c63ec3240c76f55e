#include "web/WebUpload.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ftp/FtpPathResolver.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Log.h"

namespace {

constexpr unsigned kInsufficientStorage = 507;
constexpr unsigned kPreconditionFailed = 412;
constexpr const char* kNameTaken = "A document of this name exists.";
constexpr double kMiB = 1024.0 * 1024.0;

std::string mib(double bytes) { return format("%.1f MiB", bytes / kMiB); }

}  // namespace

WebUpload::WebUpload(const FtpPathResolver& paths, const std::string& name, std::optional<std::uint64_t> declaredSize,
                     bool onlyIfNew)
    : paths_(paths), name_(name), onlyIfNew_(onlyIfNew) {
    // A size known in advance is checked before a byte is written: a phone should not send a gigabyte to be told
    // at the end that it never fitted.
    if (declaredSize) {
        auto space = attributesOfFileSystemForPath(paths.baseDir());
        if (space && *declaredSize > static_cast<std::uint64_t>(space->freeSize)) {
            fail(kInsufficientStorage, "Not enough free space: the file needs " + mib(*declaredSize) + ", " +
                                           mib(space->freeSize) + " are free.");
            return;
        }
    }
    auto entry = paths.locate(name, true);
    if (!entry) {
        if (FtpPathResolver::ledOut(entry.error()))
            fail(403, "This name leads outside the shared folder.");
        else
            fail(409, "This name cannot be written: " + entry.error().message() + ".");
        return;
    }
    if (entry->exists && onlyIfNew) {
        fail(kPreconditionFailed, kNameTaken);
        return;
    }
    struct stat st {};
    if (entry->exists && ::fstatat(entry->folder.get(), entry->name.c_str(), &st, 0) == 0 && !S_ISREG(st.st_mode)) {
        fail(409, "A folder or special file already has this name.");
        return;
    }
    file_ = std::make_unique<AtomicUpload>(entry->folder.get(), entry->name);
    if (!file_->isOpen()) {
        const std::error_code error = file_->error();
        file_.reset();
        if (error.value() == ENOSPC || error.value() == EDQUOT)
            fail(kInsufficientStorage, "The disk is full.");
        else
            fail(500, "The file cannot be created: " + error.message() + ".");
    }
}

void WebUpload::fail(unsigned status, std::string message) {
    if (failure_) return;
    failure_ = status;
    message_ = std::move(message);
    if (file_) file_->abort();
    NSLog("WS: upload of %@ failed: %@", name_, message_);
}

void WebUpload::write(const char* data, std::size_t size) {
    while (!failure_ && size > 0) {
        ssize_t n = ::write(file_->fd(), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            if (error == ENOSPC || error == EDQUOT)
                return fail(kInsufficientStorage, "The disk filled up after " + mib(written_) + "; nothing was kept.");
            return fail(500, "Writing failed: " + std::string(std::strerror(error)) + "; nothing was kept.");
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        written_ += static_cast<std::uint64_t>(n);
    }
}

unsigned WebUpload::commit() {
    if (failure_) return failure_;
    auto entry = paths_.locate(name_, true);
    const bool replaced = entry && entry->exists;
    if (auto done = file_->commit(!onlyIfNew_); !done) {
        // Another upload of the same name was put in place while this one's bytes came.
        if (done.error() == std::errc::file_exists) fail(kPreconditionFailed, kNameTaken);
        else fail(500, "The file could not be put in place: " + done.error().message() + ".");
        return failure_;
    }
    return replaced ? 200 : 201;
}
