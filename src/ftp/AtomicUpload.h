#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Result.h"
#include "platform/UniqueFd.h"

/// A new version of one file, written beside it under a hidden temporary name and put in its place whole by one
/// rename. Readers of the old file keep reading it whole, two writers never mix their bytes (the last to finish
/// wins), and a write that fails leaves the old file as it was: the temporary file is all that is removed, and only
/// while it is still the file made here. Every server that receives uploads writes them through this class.
class AtomicUpload {
public:
    /// Creates the temporary file for `name` in the folder `folderFd` (duplicated, so the caller keeps its own),
    /// with the permission bits `mode` (less the process's umask). When it cannot be made `isOpen` is false and
    /// `error` says why.
    AtomicUpload(int folderFd, std::string name, mode_t mode = 0644);
    /// Removes the temporary file unless it was committed.
    ~AtomicUpload();
    AtomicUpload(const AtomicUpload&) = delete;
    AtomicUpload& operator=(const AtomicUpload&) = delete;

    bool isOpen() const { return static_cast<bool>(file_); }
    /// Why the temporary file could not be made; empty when it is open.
    std::error_code error() const { return error_; }
    /// The temporary file's descriptor, open for writing.
    int fd() const { return file_.get(); }
    /// Renames the temporary file over the target (an existing file is replaced in one step; with `replace` false
    /// it is left alone and the commit fails with EEXIST, however late it appeared). A failure says why (EINVAL
    /// for a second commit, or after an abort); the temporary file is removed then. Once only.
    Result<void> commit(bool replace = true);
    /// Removes the temporary file now; nothing after a commit.
    void abort();

    /// Whether `name` (one path component) is the name of such a temporary file, which listings leave out.
    static bool isTemporaryName(std::string_view name);
    /// Removes the temporary files left below `folder` by a crash, through every sub-folder (links are not
    /// followed). Returns how many went.
    static std::size_t removeLeftovers(const std::string& folder);

private:
    /// Unlinks the temporary name if it is still the file made here.
    void removeTemporary();

    UniqueFd folder_;
    UniqueFd file_;
    std::string name_;
    std::string temporary_;
    bool done_ = false;
    std::error_code error_;
};
