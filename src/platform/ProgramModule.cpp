#include "platform/ProgramModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

void* ProgramModule::symbol(const char* file, const char* symbol, std::string* failure) {
    std::error_code error;
    const auto dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    std::string why = "cannot find the running program";
    if (!error)
        for (const auto& candidate : {dir / file, dir / ".." / "lib" / "velkaro" / file}) {
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
