#pragma once
#include <unistd.h>

#include <utility>

/// Owns one file descriptor and closes it when destroyed or reset; move-only, so a descriptor has one owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    /// The descriptor, or -1; still owned.
    int get() const { return fd_; }
    /// Gives the descriptor up without closing it; this owner then holds none.
    int release() { return std::exchange(fd_, -1); }
    /// Closes the current descriptor (if any) and takes `fd`.
    void reset(int fd = -1) {
        if (fd_ >= 0 && fd_ != fd) ::close(fd_);
        fd_ = fd;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
