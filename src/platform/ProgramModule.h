#pragma once
#include <string>

/// The programs' own modules and helpers: shared objects loaded, or programs started, only when their work is
/// first asked for, so the libraries they bring stay out of every other start.
class ProgramModule {
public:
    /// The entry point `symbol` of module `file` (such as "velkaro-tls.so"), looked for beside the running
    /// program (a build tree) and then in ../lib/ARCH/velkaro from it (an installed tree). Null, with `failure` saying
    /// why, when neither loads or has the entry point. A loaded module stays for the program's life.
    static void* symbol(const char* file, const char* symbol, std::string* failure);
    /// The path of helper program `file`, looked for in the same places; "" when it is in neither.
    static std::string helper(const char* file);
};
