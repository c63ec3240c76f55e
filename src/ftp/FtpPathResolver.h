#pragma once
#include <optional>
#include <string>
#include <vector>

/// Turns the names an FTP client sends into paths of this machine's file system, confined to the base directory
/// that clients see as "/". Every name is resolved lexically ("." and ".." folded), then through the symbolic
/// links that exist, and refused when the result is not the base directory or inside it, comparing whole path
/// components (a base ".../docs" does not admit ".../docs2"). Links inside the base that point inside it work.
class FtpPathResolver {
public:
    /// `baseDir` is made canonical (links resolved) when it exists; otherwise it is kept as given.
    /// With `confined` false, "/" is the limit instead, and clients see real paths.
    explicit FtpPathResolver(const std::string& baseDir, bool confined = true);

    const std::string& baseDir() const { return baseDir_; }
    bool confined() const { return confined_; }

    /// The name from a command's words: the words after the first joined by single blanks (empty words kept, so
    /// blanks inside a name survive). Words beginning with "-" are options and left out, except for the commands
    /// whose names may begin with a hyphen (CWD, MKD, RMD, STOR, DELE, SIZE, RETR, RNFR, RNTO).
    static std::string fileNameFromArgs(const std::vector<std::string>& words);

    /// The path that `name` (absolute from the client's "/", or relative to `currentDir`) stands for, or nothing
    /// when it leads outside the limit: through "..", or through a symbolic link (also a dangling one) that points
    /// out; also a name holding a NUL byte. The path returned is lexical (links kept), so removing or renaming a link acts on the link itself.
    std::optional<std::string> resolve(const std::string& currentDir, const std::string& name) const;

    /// The canonical form of `path` (an existing directory inside the limit that may be entered), or nothing.
    std::optional<std::string> canonicalDirectory(const std::string& path) const;

    /// Whether `path` (absolute, canonical) is the limit itself or lies inside it, by whole components.
    bool isInside(const std::string& path) const;

    /// The current directory as the client sees it: "/" for the base, "/Books/" for a folder in it.
    std::string visiblePath(const std::string& currentDir) const;

    /// `path` without its last component; "/" stays "/" ("/Books/" gives "/").
    static std::string deletingLastPathComponent(const std::string& path);

private:
    std::string limit() const { return confined_ ? baseDir_ : std::string("/"); }

    std::string baseDir_;
    bool confined_;
};
