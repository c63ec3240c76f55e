#include "platform/FileSystem.h"

#include <sys/resource.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/Log.h"

namespace {
std::string& documentsOverride() {
    static std::string path;
    return path;
}
}  // namespace

std::optional<FileSystemAttributes> attributesOfFileSystemForPath(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
    FileSystemAttributes a;
    a.size = static_cast<std::int64_t>(st.f_blocks) * static_cast<std::int64_t>(st.f_frsize);
    a.freeSize = static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
    return a;
}

void setDocumentsDirectory(const std::string& path) { documentsOverride() = path; }

std::string documentsDirectory() {
    std::string path = documentsOverride();
    if (path.empty()) {
        const char* xdg = std::getenv("XDG_DATA_HOME");
        if (xdg && *xdg == '/') {
            path = std::string(xdg) + "/velkaro/Documents";
        } else {
            const char* home = std::getenv("HOME");
            path = std::string(home && *home ? home : "/tmp") + "/.local/share/velkaro/Documents";
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) logLine("cannot create the documents folder " + path + ": " + ec.message());
    return path;
}

std::uint64_t raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised{limit.rlim_max, limit.rlim_max};
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
        else
            logLine(std::string("cannot raise the limit of open files: ") + std::strerror(errno));
    }
    return limit.rlim_cur;
}
