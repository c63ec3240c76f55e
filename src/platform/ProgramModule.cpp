#include "platform/ProgramModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

#ifndef VELKARO_MODULE_DIR
#define VELKARO_MODULE_DIR "lib/velkaro"  // the install rules pass the folder they put the modules in
#endif

namespace {

// Beside the running program (a build tree), then the installed module folder from it (an installed tree); none when the
// running program cannot be found.
std::vector<std::filesystem::path> candidates(const char* file) {
    std::error_code error;
    const auto dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return {};
    return {dir / file, dir / ".." / VELKARO_MODULE_DIR / file};
}

}  // namespace

void* ProgramModule::symbol(const char* file, const char* symbol, std::string* failure) {
    std::string why = "cannot find the running program";
    for (const auto& candidate : candidates(file)) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = ::dlerror();
            continue;
        }
        if (void* entry = ::dlsym(module, symbol)) return entry;
        why = candidate.string() + " has no " + symbol;
    }
    if (failure) *failure = why;
    return nullptr;
}

std::string ProgramModule::helper(const char* file) {
    for (const auto& candidate : candidates(file))
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal().string();
    return "";
}
