#include "cli/WindowProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

int WindowProgram::exec(char** argv) {
    // Beside this program first: a build tree or an unpacked package works without being on PATH.
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string beside = (self.parent_path() / kName).string();
        ::execv(beside.c_str(), argv);
    }
    ::execvp(kName, argv);
    std::cerr << "velkaro: cannot start the window program " << kName << ": " << std::strerror(errno)
              << "\nThe tools work on the command line: see velkaro --help.\n";
    return 1;
}
