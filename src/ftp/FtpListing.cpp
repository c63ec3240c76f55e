#include "ftp/FtpListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <map>
#include <vector>

#include "ftp/FolderEntryCounts.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"

namespace {

// Entries of a directory as readdir yields them, without "." and "..". The stream gets its own descriptor, so
// the caller's stays open.
template <typename Fn>
void forEachEntry(int dirFd, Fn fn) {
    UniqueFd fd(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = fd ? ::fdopendir(fd.get()) : nullptr;
    if (!dir) return;
    fd.release();
    while (const dirent* e = ::readdir(dir)) {
        std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        fn(std::string(name));
    }
    ::closedir(dir);
}

long countEntries(int parentFd, const std::string& name) {
    UniqueFd fd(::openat(parentFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    long n = 0;
    if (fd) forEachEntry(fd.get(), [&](const std::string&) { ++n; });
    return n;
}

// Listings of thousands of entries spend more time in printf-style formatting than anywhere but the kernel: the
// columns are written by hand instead, as printf would write them.

// `text` right-aligned in `width` bytes (printf's %12s); a longer text is never cut.
void appendRight(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

template <typename Number>
void appendNumber(std::string& out, Number n, std::size_t width = 0) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    appendRight(out, std::string_view(digits, static_cast<std::size_t>(end - digits)), width);
}

void appendTwoDigits(std::string& out, int n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

}  // namespace

std::string FtpListing::formatDate(std::time_t when, std::time_t now) {
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    constexpr std::time_t kSixMonths = 31556952 / 2;  // half a Gregorian year, as ls takes it
    std::tm tm{};
    if (!::localtime_r(&when, &tm)) return "Jan  1  1970";
    // Without the year an old file reads as this year's: clients then stamp it with the wrong date.
    std::string out = kMonths[tm.tm_mon % 12];
    out += ' ';
    appendNumber(out, tm.tm_mday, 2);
    if (when > now || now - when >= kSixMonths) {
        out += "  ";
        appendNumber(out, tm.tm_year + 1900LL);
    } else {
        out += ' ';
        appendTwoDigits(out, tm.tm_hour);
        out += ':';
        appendTwoDigits(out, tm.tm_min);
    }
    return out;
}

std::string FtpListing::ownerName(unsigned uid) {
    // getpwuid_r keeps this safe for any caller; a missing name shows the number, as ls does.
    std::vector<char> buf(4096);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

std::string FtpListing::groupName(unsigned gid) {
    std::vector<char> buf(4096);
    group gr{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &gr, buf.data(), buf.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(gid);
}

std::string FtpListing::formatLine(bool isDirectory, unsigned mode, long links, const std::string& owner,
                                   const std::string& group, unsigned long long size, std::time_t modified,
                                   const std::string& name) {
    std::string line = isDirectory ? "d" : "-";
    static const char kLetters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit) line += mode & (1u << bit) ? kLetters[(8 - bit) % 3] : '-';
    line += ' ';
    appendNumber(line, links < 1 ? 1 : links, 5);
    line += ' ';
    appendRight(line, owner, 12);
    line += ' ';
    appendRight(line, group, 12);
    line += ' ';
    appendNumber(line, size, 10);
    line += ' ';
    line += formatDate(modified);
    line += ' ';
    line += name;
    return line;
}

std::string FtpListing::createList(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return createList(fd.get(), path);
}

std::string FtpListing::createList(int dirFd, const std::string& path, Style style, const std::string& pattern,
                                   const std::string& prefix, const LinkTarget& links) {
    NSLog("Get LS for %@", path);
    std::string body = style == Style::longLines ? "\r\n" : "";
    int listed = 0;
    // Most entries share an owner and a group: look each id up once per listing, not once per entry.
    std::map<unsigned, std::string> owners, groups;
    auto cached = [](std::map<unsigned, std::string>& cache, unsigned id, std::string (*lookup)(unsigned)) -> const std::string& {
        auto it = cache.find(id);
        if (it == cache.end()) it = cache.emplace(id, lookup(id)).first;
        return it->second;
    };
    forEachEntry(dirFd, [&](const std::string& name) {
        // Hidden entries are not shown to clients, and a line end inside a name would forge listing lines.
        if (name[0] == '.' || name.find_first_of("\r\n") != std::string::npos) return;
        if (!pattern.empty() && ::fnmatch(pattern.c_str(), name.c_str(), 0) != 0) return;
        struct stat st {};
        const bool found = ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        // A link shows what it leads to (clients mirror it as a folder or file of that size); one that leads
        // outside or nowhere is not there for clients, and its text, which may name paths outside, is never shown.
        if (found && S_ISLNK(st.st_mode) && links && !links(name, st)) return;
        if (style == Style::names) {
            ++listed;
            body += prefix + name + "\r\n";
            return;
        }
        if (style == Style::facts) {
            // An entry gone since it was read has no facts to give: left out.
            std::string facts = found ? factsOf(dirFd, name.c_str(), st, true) : "";
            if (!facts.empty()) body += facts + " " + name + "\r\n";
            return;
        }
        ++listed;
        if (!found) {
            // The entry vanished or cannot be read: keep its line with what is known rather than drop it.
            body += formatLine(false, 0, 1, "", "", 0, 0, name) + "\n";
            return;
        }
        const bool dir = S_ISDIR(st.st_mode);
        const long count = dir ? FolderEntryCounts::shared().count(st, [&] { return countEntries(dirFd, name); }) : 0;
        body += formatLine(dir, st.st_mode & 0777, count, cached(owners, st.st_uid, ownerName),
                           cached(groups, st.st_gid, groupName), static_cast<unsigned long long>(st.st_size), st.st_mtime, name);
        body += '\n';
    });
    return style == Style::longLines ? format("total %d", listed) + body : body;
}

std::string FtpListing::factsOf(int folderFd, const std::string& name, bool unique) {
    const char* at = name.empty() ? "." : name.c_str();
    struct stat st {};
    if (::fstatat(folderFd, at, &st, AT_SYMLINK_NOFOLLOW) != 0) return "";
    return factsOf(folderFd, at, st, unique);
}

std::string FtpListing::factsOf(int folderFd, const char* at, const struct stat& st, bool unique) {
    // As in the long listing, an entry is described by the attributes given and only a folder is a "dir".
    const bool dir = S_ISDIR(st.st_mode);
    auto may = [&](int how) { return ::faccessat(folderFd, at, how, AT_EACCESS) == 0; };
    const bool read = may(R_OK), write = may(W_OK);
    std::string perm;
    if (dir) {
        // create, delete, enter, rename, list, make folders, purge
        if (write) perm += "cdf";
        if (may(X_OK)) perm += "e";
        if (read) perm += "l";
        if (write) perm += "mp";
    } else {
        // append, delete, rename, read, write
        if (write) perm += "adf";
        if (read) perm += "r";
        if (write) perm += "w";
    }
    std::string facts = format("type=%@;size=%qu;modify=%@;perm=%@;", dir ? "dir" : "file",
                               static_cast<unsigned long long>(st.st_size), formatUtcTime(st.st_mtime), perm);
    if (unique) facts += "unique=" + std::to_string(st.st_dev) + "U" + std::to_string(st.st_ino) + ";";
    return facts;
}

std::string FtpListing::formatUtcTime(std::time_t when) {
    std::tm tm{};
    if (!::gmtime_r(&when, &tm)) return "19700101000000";
    return format("%.4d%.2d%.2d%.2d%.2d%.2d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec);
}

std::string FtpListing::escapedPattern(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '*' || c == '?' || c == '[' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}
