#include "ftp/FtpPathResolver.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>

#include <vector>

#include "platform/Log.h"

namespace {

bool kernelResolution = true;
constexpr int kMaxLinks = 40;  // as the kernel allows in one path

std::deque<std::string> components(const std::string& path) {
    std::deque<std::string> out;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        if (!part.empty() && part != ".") out.push_back(std::move(part));
        i = j + 1;
    }
    return out;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

Result<std::string> readLink(int fd) {
    char buf[PATH_MAX];
    ssize_t n = ::readlinkat(fd, "", buf, sizeof buf);
    if (n < 0) return lastSystemError();
    if (n == static_cast<ssize_t>(sizeof buf)) return systemError(ENAMETOOLONG);
    return std::string(buf, static_cast<size_t>(n));
}

UniqueFd duplicate(const UniqueFd& fd) { return UniqueFd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0)); }

}  // namespace

FtpPathResolver::FtpPathResolver(const std::string& baseDir) {
    char buf[PATH_MAX];
    baseDir_ = ::realpath(baseDir.c_str(), buf) ? std::string(buf) : baseDir;
    if (baseDir_.size() > 1 && baseDir_.back() == '/') baseDir_.pop_back();
    base_.reset(::open(baseDir_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!base_) NSLog("FTP: cannot open the base folder %@", baseDir_);
}

void FtpPathResolver::setKernelResolutionForTesting(bool enabled) { kernelResolution = enabled; }

std::optional<std::string> FtpPathResolver::join(const std::string& currentDir, const std::string& name,
                                                 bool stayAtRoot) {
    // A NUL would cut the path short in every system call; no file name holds one.
    if (name.find('\0') != std::string::npos) return std::nullopt;
    std::vector<std::string> parts;
    for (auto& part : components(!name.empty() && name[0] == '/' ? name : currentDir + "/" + name)) {
        if (part != "..") {
            parts.push_back(std::move(part));
        } else if (parts.empty()) {
            if (!stayAtRoot) return std::nullopt;
        } else {
            parts.pop_back();
        }
    }
    std::string out;
    for (const auto& p : parts) out = joinPath(out, p);
    return out;
}

Result<FtpPathResolver::Entry> FtpPathResolver::locate(const std::string& path, bool followLast) const {
    if (!base_) return systemError(ENOENT);
    // The folders walked so far, from the base down, each opened beneath the one above it.
    struct Step {
        UniqueFd fd;
        std::string path;
    };
    std::vector<Step> stack;
    stack.push_back({duplicate(base_), ""});
    std::deque<std::string> todo = components(path);
    int links = 0;
    while (!todo.empty()) {
        std::string part = std::move(todo.front());
        todo.pop_front();
        if (part == "..") {
            if (stack.size() == 1) return systemError(EXDEV);  // above the base
            stack.pop_back();
            continue;
        }
        const bool last = todo.empty();
        const Step& here = stack.back();
        UniqueFd fd(::openat(here.fd.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!fd) {
            if (errno == ENOENT && last) return Entry{duplicate(here.fd), part, joinPath(here.path, part), false};
            return lastSystemError();
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) return lastSystemError();
        if (S_ISLNK(st.st_mode)) {
            auto target = readLink(fd.get());
            if (!target) return target.error();
            if (last && !followLast) {
                // The link itself is what the command acts on; it is only reachable when it leads inside.
                if (!linkLeadsInside(here.path, *target)) return systemError(EXDEV);
                return Entry{duplicate(here.fd), part, joinPath(here.path, part), true};
            }
            if (++links > kMaxLinks) return systemError(ELOOP);
            std::string rest = *target;
            if (!rest.empty() && rest[0] == '/') {
                // An absolute link counts only when it points inside the base: walk it again from there.
                auto inside = insideBase(rest);
                if (!inside) return systemError(EXDEV);
                rest = *inside;
                stack.resize(1);
            }
            auto more = components(rest);
            todo.insert(todo.begin(), more.begin(), more.end());
            continue;
        }
        if (last) return Entry{duplicate(here.fd), part, joinPath(here.path, part), true};
        if (!S_ISDIR(st.st_mode)) return systemError(ENOTDIR);
        std::string below = joinPath(here.path, part);
        stack.push_back({std::move(fd), std::move(below)});
    }
    // The path ends in a folder already walked (the base, "Books/..", or a link to a folder).
    if (stack.size() == 1) return Entry{duplicate(base_), "", "", true};
    Step top = std::move(stack.back());
    stack.pop_back();
    auto slash = top.path.rfind('/');
    return Entry{std::move(stack.back().fd), slash == std::string::npos ? top.path : top.path.substr(slash + 1),
                 top.path, true};
}

bool FtpPathResolver::linkLeadsInside(const std::string& folderPath, const std::string& target) const {
    if (target.empty()) return false;
    auto walk = target[0] == '/' ? insideBase(target) : joinPath(folderPath, target);
    return walk && locate(*walk, true);
}

UniqueFd FtpPathResolver::open(const std::string& path, int flags, mode_t mode) const {
    if (kernelResolution && !(flags & O_CREAT) && base_) {
        // One system call does the whole walk when the kernel can confine it; it refuses absolute links
        // (EXDEV), which the walk below then judges by where they point.
        open_how how{};
        how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        long fd = ::syscall(SYS_openat2, base_.get(), path.empty() ? "." : path.c_str(), &how, sizeof how);
        if (fd >= 0) return UniqueFd(static_cast<int>(fd));
        if (errno != EXDEV && errno != ENOSYS && errno != EPERM && errno != EAGAIN && errno != E2BIG)
            return UniqueFd();
    }
    auto entry = locate(path, true);
    if (!entry) return UniqueFd();
    if (entry->name.empty()) return UniqueFd(::openat(entry->folder.get(), ".", (flags & ~O_CREAT) | O_CLOEXEC));
    return UniqueFd(::openat(entry->folder.get(), entry->name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
}

UniqueFd FtpPathResolver::openRegularFile(const std::string& path, int flags, struct stat& st, mode_t mode) const {
    UniqueFd fd = open(path, flags | O_NONBLOCK, mode);
    if (!fd || ::fstat(fd.get(), &st) != 0) return UniqueFd();
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return UniqueFd();
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<std::string> FtpPathResolver::enterableDirectory(const std::string& path) const {
    auto entry = locate(path, true);
    if (!entry || !entry->exists) return std::nullopt;
    const char* name = entry->name.empty() ? "." : entry->name.c_str();
    struct stat st {};
    // Entering needs the search permission, as changing the process's directory would.
    if (::fstatat(entry->folder.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        ::faccessat(entry->folder.get(), name, X_OK, 0) != 0)
        return std::nullopt;
    return entry->path;
}

bool FtpPathResolver::makeDirectories(const std::string& path) const {
    const auto parts = components(path);
    if (parts.size() > kMaxDepth) {
        errno = ENAMETOOLONG;
        return false;
    }
    if (!base_) {
        errno = ENOENT;
        return false;
    }
    // One walk down, each folder opened (or made) beneath the descriptor of the one above it; walking again from
    // the base for every component made a deep path cost the square of its depth, all of it on the server's loop.
    UniqueFd here = duplicate(base_);
    std::string done;
    for (const auto& part : parts) {
        UniqueFd next(::openat(here.get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next && errno == ENOENT && part != "..") {
            if (::mkdirat(here.get(), part.c_str(), 0755) != 0 && errno != EEXIST) return false;
            next.reset(::openat(here.get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (next && part != "..") {
            done = joinPath(done, part);
        } else {
            // A link or "..": the full walk judges where it leads.
            auto entry = locate(joinPath(done, part), true);
            if (!entry || !entry->exists) {
                errno = entry ? ENOENT : entry.error().value();
                return false;
            }
            next.reset(::openat(entry->folder.get(), entry->name.empty() ? "." : entry->name.c_str(),
                                O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (!next) return false;  // ENOTDIR: a file stands where a folder was asked for
            done = entry->path;
        }
        here = std::move(next);
    }
    if (::faccessat(here.get(), ".", X_OK, 0) == 0) return true;
    return false;
}

std::optional<std::string> FtpPathResolver::insideBase(const std::string& absolute) const {
    if (baseDir_ == "/") return absolute;
    if (absolute.compare(0, baseDir_.size(), baseDir_) != 0) return std::nullopt;
    if (absolute.size() > baseDir_.size() && absolute[baseDir_.size()] != '/') return std::nullopt;
    return absolute.substr(baseDir_.size());
}

std::string FtpPathResolver::absolutePath(const std::string& path) const {
    if (path.empty()) return baseDir_;
    return baseDir_ == "/" ? "/" + path : baseDir_ + "/" + path;
}

std::string FtpPathResolver::visiblePath(const std::string& path) { return path.empty() ? "/" : "/" + path + "/"; }

bool FtpPathResolver::isInside(const std::string& path, const std::string& folder) {
    if (folder.empty()) return true;
    if (path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

std::string FtpPathResolver::deletingLastPathComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    auto slash = p.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}
