#pragma once
#include <cstdint>
#include <optional>
#include <string>

/// The size and free space of a file system, in bytes.
struct FileSystemAttributes {
    std::int64_t size = 0;
    std::int64_t freeSize = 0;
};

/// Attributes of the file system holding `path`, or nothing when they cannot be read.
std::optional<FileSystemAttributes> attributesOfFileSystemForPath(const std::string& path);

/// The user's documents folder: $XDG_DATA_HOME/velkaro/Documents (default ~/.local/share/velkaro/Documents),
/// created when first asked for. Override for the whole process with `setDocumentsDirectory` (tests, --dir).
std::string documentsDirectory();
void setDocumentsDirectory(const std::string& path);

/// Raises this process's soft limit of open descriptors to its hard limit, so a server can hold as many connections
/// as the system lets it; returns the soft limit now in force (0 when it cannot be read).
std::uint64_t raiseOpenFileLimit();
