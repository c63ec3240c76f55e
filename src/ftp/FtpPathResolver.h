#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

#include <optional>
#include <string>

#include "platform/Result.h"
#include "platform/UniqueFd.h"

/// Turns the names an FTP client sends into places beneath the base folder that clients see as "/", and opens
/// them without ever leaving it. Paths are kept relative to the base ("" is the base, "Books/a.pdf" a file in it).
///
/// Every use walks the path again from a descriptor of the base folder, one component at a time, with `openat`
/// and O_NOFOLLOW; a symbolic link is followed only by walking its target the same way, so ".." never climbs
/// above the base and an absolute link counts only when it points inside it. Nothing is checked by name first and
/// opened by name later: a folder swapped for a link between two system calls cannot lead a client outside.
class FtpPathResolver {
public:
    /// A place found beneath the base.
    struct Entry {
        UniqueFd folder;   ///< the folder holding it, opened beneath the base (O_PATH)
        std::string name;  ///< its last component on disk ("" for the base itself)
        std::string path;  ///< its path relative to the base, links resolved ("" for the base)
        bool exists = false;
    };

    /// Opens `baseDir` (links resolved); a folder that cannot be opened leaves a resolver that finds nothing.
    explicit FtpPathResolver(const std::string& baseDir);

    /// The base folder's absolute path, links resolved.
    const std::string& baseDir() const { return baseDir_; }

    /// `name` (absolute from the client's "/", or relative to `currentDir`) as a path relative to the base, with
    /// "." and ".." folded; nothing when ".." climbs above "/" or the name holds a NUL byte. With `stayAtRoot`, ".."
    /// at "/" stays there, as it does at a file system's root.
    static std::optional<std::string> join(const std::string& currentDir, const std::string& name,
                                           bool stayAtRoot = false);

    /// Finds `path` beneath the base. With `followLast` a link in the last component is followed too, so the
    /// entry found is never a link; without it the entry may be a link itself, found only when the link leads
    /// inside the base. A missing last component is found with `exists` false. The reason (EXDEV for a way out,
    /// ENOENT, ENOTDIR, ELOOP, …) when the path cannot be walked inside the base.
    Result<Entry> locate(const std::string& path, bool followLast) const;

    /// Opens `path` beneath the base with `flags` (links followed inside it; O_CREAT creates the file in its
    /// folder). An invalid descriptor with errno set on failure.
    UniqueFd open(const std::string& path, int flags, mode_t mode = 0) const;

    /// Opens `path` like `open`, but only a regular file, and never waits on a FIFO or device: anything else fails
    /// with EINVAL (a folder opened for writing with EISDIR). `st` gets the file's attributes.
    UniqueFd openRegularFile(const std::string& path, int flags, struct stat& st, mode_t mode = 0) const;

    /// The path (links resolved) of an existing folder that may be entered, or nothing.
    std::optional<std::string> enterableDirectory(const std::string& path) const;

    /// Folders deeper than this are not made (ENAMETOOLONG): nobody files datasheets 64 folders down.
    static constexpr std::size_t kMaxDepth = 64;
    /// Creates `path` and the folders missing on the way to it; false (errno set) when one cannot be made, a file
    /// stands in the way (ENOTDIR) or the path is deeper than kMaxDepth.
    bool makeDirectories(const std::string& path) const;

    /// Whether a link whose text is `target`, standing in the folder `folderPath`, leads inside the base.
    bool linkLeadsInside(const std::string& folderPath, const std::string& target) const;

    /// The absolute path of a path relative to the base (for logs).
    std::string absolutePath(const std::string& path) const;
    /// A folder as the client sees it: "/" for the base, "/Books/" for a folder in it.
    static std::string visiblePath(const std::string& path);
    /// Whether `path` is `folder` or lies inside it, comparing whole components ("" is the base).
    static bool isInside(const std::string& path, const std::string& folder);
    /// `path` without its last component; "/" stays "/" ("/Books/" gives "/").
    static std::string deletingLastPathComponent(const std::string& path);

    /// Whether `locate` failed because the path leads out of the base (as opposed to a name that is missing).
    static bool ledOut(std::error_code error) { return error.value() == EXDEV || error.value() == ELOOP; }

    /// Lets tests walk every path by hand, as on a kernel without `openat2`.
    static void setKernelResolutionForTesting(bool enabled);

private:
    /// The part of an absolute path below the base ("" for the base itself), or nothing when it lies outside.
    std::optional<std::string> insideBase(const std::string& absolute) const;

    std::string baseDir_;
    UniqueFd base_;
};
