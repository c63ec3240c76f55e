#include "datasheets/DatasheetStore.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "datasheets/NameCollator.h"
#include "platform/Format.h"
#include "platform/UniqueFd.h"

extern char** environ;

namespace {

bool isBareName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "name (2).pdf" for the n-th try of "name.pdf"; a leading dot is not an extension.
std::string numbered(const std::string& name, int n) {
    if (n < 2) return name;
    auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) dot = name.size();
    return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

// Runs a program found on PATH with `args`, waiting for it; its exit status, or -1 when it cannot run.
int runProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Renames `from` to `to` unless `to` exists (errno EEXIST then). File systems without an atomic way to refuse
// get a check just before the rename.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool copyContents(int from, int to) {
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return false;
            done += w;
        }
    }
}

}  // namespace

std::vector<DatasheetStore::Entry> DatasheetStore::describe(const std::string& folder,
                                                            const std::vector<std::string>& names) {
    std::vector<Entry> entries;
    for (const auto& name : names) {
        Entry e{name};
        struct stat st {};
        if (::stat((folder + "/" + name).c_str(), &st) == 0) {
            e.size = st.st_size;
            e.mtime = st.st_mtime;
            e.isFolder = S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

void DatasheetStore::sort(std::vector<Entry>& entries, Order order) {
    const NameCollator collator;
    auto nameLess = [&](const Entry& a, const Entry& b) { return collator.less(a.name, b.name); };
    switch (order) {
        case Order::Stored: return;
        case Order::Name: std::stable_sort(entries.begin(), entries.end(), nameLess); return;
        case Order::Size:
            std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
                return a.size != b.size ? a.size > b.size : nameLess(a, b);
            });
            return;
        case Order::Date:
            std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
                return a.mtime != b.mtime ? a.mtime > b.mtime : nameLess(a, b);
            });
            return;
    }
}

std::string DatasheetStore::importFile(const std::string& folder, const std::string& source, std::string* error) {
    const std::string name = baseName(source);
    auto fail = [&](const std::string& why) {
        if (error) *error = format("\"%@\" cannot be copied in: %@.", name, why);
        return std::string();
    };
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!in || ::fstat(in.get(), &st) != 0) return fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return fail("only files can be copied in");
    if (!isBareName(name) || name[0] == '.') return fail("its name is hidden or not a file name");
    // Written under a hidden name first, so the list and the FTP server never see half a file.
    std::string temp = folder + "/.import-XXXXXX";
    UniqueFd out(::mkostemp(temp.data(), O_CLOEXEC));
    if (!out) return fail(std::strerror(errno));
    if (!copyContents(in.get(), out.get()) || ::fsync(out.get()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return fail(std::strerror(e));
    }
    ::fchmod(out.get(), 0644);
    // A copy keeps its source's date, so the list's newest first means newest document, not newest import.
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    out.reset();
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = numbered(name, n);
        // A name taken meanwhile (an FTP upload) is never replaced: the next number is tried.
        if (moveWithoutReplacing(temp, folder + "/" + candidate)) return candidate;
        if (errno != EEXIST) break;
    }
    int e = errno;
    ::unlink(temp.c_str());
    return fail(std::strerror(e));
}

bool DatasheetStore::hasTrash() {
    static const bool found = [] {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        for (size_t start = 0; start <= dirs.size();) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            if (::access((dirs.substr(start, end - start) + "/gio").c_str(), X_OK) == 0) return true;
            start = end + 1;
        }
        return false;
    }();
    return found;
}

bool DatasheetStore::deleteEntry(const std::string& folder, const std::string& name, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = format("\"%@\" cannot be deleted: %@.", name, why);
        return false;
    };
    if (!isBareName(name)) return fail("it is not a name in the store");
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return fail(std::strerror(errno));
    if (hasTrash() && runProgram({"gio", "trash", "--", path}) == 0) return true;
    if (hasTrash()) return fail("the trash did not take it");
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return ec ? fail(ec.message()) : true;
}

bool DatasheetStore::renameEntry(const std::string& folder, const std::string& from, const std::string& to,
                                 std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = format("\"%@\" cannot be renamed: %@.", from, why);
        return false;
    };
    if (!isBareName(from)) return fail("it is not a name in the store");
    if (to == from) return true;
    if (!isBareName(to)) return fail("a name cannot be empty or hold \"/\"");
    if (to[0] == '.') return fail("a name beginning with a dot would hide it");
    if (moveWithoutReplacing(folder + "/" + from, folder + "/" + to)) return true;
    const int e = errno;
    return fail(e == EEXIST ? format("\"%@\" already exists", to) : std::string(std::strerror(e)));
}

std::string DatasheetStore::sizeText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double v = static_cast<double>(bytes);
    int u = -1;
    while (v >= 1024 && u < 3) {
        v /= 1024;
        ++u;
    }
    char text[32];
    std::snprintf(text, sizeof text, v < 10 ? "%.1f %s" : "%.0f %s", v, units[u]);
    return text;
}
