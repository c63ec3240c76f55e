#pragma once
#include <string>

/// A system shared library opened when its first function is needed instead of at the program's start: a library
/// and everything it brings cost start time and memory in every run, even those that never call it. Opened for
/// the program's life.
class SystemLibrary {
public:
    /// Opens `soname` (such as "libmicrohttpd.so.12").
    explicit SystemLibrary(const char* soname);
    /// Every function bound so far was found.
    bool ok() const { return failure_.empty(); }
    /// Why not: the loader's words, or the first function missing.
    const std::string& failure() const { return failure_; }
    /// Points `slot` at the library's function `name` (declared with the library's own type).
    template <typename Function>
    void bind(Function& slot, const char* name) {
        slot = reinterpret_cast<Function>(find(name));
    }

private:
    void* find(const char* name);

    void* handle_;
    std::string failure_;
};
