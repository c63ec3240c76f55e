#include "ftp/FtpPathResolver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/Log.h"

namespace {

// "/a/./b//../c" -> "/a/c"; nothing when ".." climbs above "/".
std::optional<std::string> normalizeLexically(const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::optional<std::string> realPath(const std::string& path) {
    char buf[PATH_MAX];
    if (!::realpath(path.c_str(), buf)) return std::nullopt;
    return std::string(buf);
}

bool within(const std::string& path, const std::string& limit) {
    if (limit == "/") return !path.empty() && path[0] == '/';
    if (path.compare(0, limit.size(), limit) != 0) return false;
    return path.size() == limit.size() || path[limit.size()] == '/';
}

const char* const kHyphenNameCommands[] = {"cwd", "mkd", "rmd", "stor", "dele", "size", "retr", "rnfr", "rnto"};

}  // namespace

FtpPathResolver::FtpPathResolver(const std::string& baseDir, bool confined) : confined_(confined) {
    auto canonical = realPath(baseDir);
    baseDir_ = canonical ? *canonical : baseDir;
    if (baseDir_.size() > 1 && baseDir_.back() == '/') baseDir_.pop_back();
}

std::string FtpPathResolver::fileNameFromArgs(const std::vector<std::string>& words) {
    if (words.size() < 2) return "";
    std::string command;
    for (char c : words[0]) command += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool hyphenNames = false;
    for (const char* c : kHyphenNameCommands)
        if (command == c) hyphenNames = true;
    std::string name;
    bool first = true;
    for (size_t i = 1; i < words.size(); ++i) {
        if (!hyphenNames && !words[i].empty() && words[i][0] == '-') {
            logLine("HYPHEN FOUND IGNORE");
            continue;
        }
        if (!first) name += ' ';
        name += words[i];
        first = false;
    }
    return name;
}

bool FtpPathResolver::isInside(const std::string& path) const { return within(path, limit()); }

std::optional<std::string> FtpPathResolver::resolve(const std::string& currentDir, const std::string& name) const {
    // A NUL would cut the path short in every system call; no file name holds one.
    if (name.find('\0') != std::string::npos) return std::nullopt;
    std::string joined = !name.empty() && name[0] == '/' ? limit() + "/" + name : currentDir + "/" + name;
    auto lexical = normalizeLexically(joined);
    if (!lexical || !within(*lexical, limit())) return std::nullopt;
    // Links: the item itself when it exists (a link is judged by where it leads), else its parent directory.
    struct stat st {};
    if (::lstat(lexical->c_str(), &st) == 0) {
        auto real = realPath(*lexical);
        if (!real || !within(*real, limit())) return std::nullopt;  // dangling or outward link
        return lexical;
    }
    // The nearest ancestor that exists decides, so that creating missing folders (MKD a/b/c) cannot pass
    // through a link that points out.
    std::string ancestor = *lexical;
    while (ancestor != "/") {
        ancestor = deletingLastPathComponent(ancestor);
        if (::lstat(ancestor.c_str(), &st) == 0) break;
    }
    auto realAncestor = realPath(ancestor);
    if (!realAncestor || !within(*realAncestor, limit())) return std::nullopt;
    return lexical;
}

std::optional<std::string> FtpPathResolver::canonicalDirectory(const std::string& path) const {
    auto real = realPath(path);
    struct stat st {};
    // Entering needs the search permission, as changing the process's directory would.
    if (!real || ::stat(real->c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(real->c_str(), X_OK) != 0 ||
        !within(*real, limit()))
        return std::nullopt;
    return real;
}

std::string FtpPathResolver::visiblePath(const std::string& currentDir) const {
    if (!confined_) return currentDir;
    std::string visible = baseDir_ == "/" ? currentDir
                          : currentDir.size() >= baseDir_.size() ? currentDir.substr(baseDir_.size())
                                                                  : "";
    if (visible.empty() || visible.back() != '/') visible += '/';
    return visible;
}

std::string FtpPathResolver::deletingLastPathComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    auto slash = p.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}
