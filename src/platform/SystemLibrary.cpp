#include "platform/SystemLibrary.h"

#include <dlfcn.h>

SystemLibrary::SystemLibrary(const char* soname) : handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) failure_ = ::dlerror();
}

void* SystemLibrary::find(const char* name) {
    void* function = handle_ ? ::dlsym(handle_, name) : nullptr;  // searches what the library brought, too
    if (!function && ok()) failure_ = std::string(name) + " is missing";
    return function;
}
