#include "net/TlsLoader.h"

#include "platform/Log.h"
#include "platform/ProgramModule.h"
#include "net/TlsModule.h"

namespace {

struct Loaded {
    TlsModule* module = nullptr;
    std::string failure;
};

Loaded load() {
    Loaded loaded;
    if (void* entry = ProgramModule::symbol("velkaro-tls.so", kTlsModuleSymbol, &loaded.failure))
        loaded.module = reinterpret_cast<TlsModuleFunction>(entry)();
    if (!loaded.module) {
        loaded.failure = "cannot load the TLS module: " + loaded.failure;
        logLine(loaded.failure + " (encrypted connections are off)");
    }
    return loaded;
}

}  // namespace

TlsModule* TlsLoader::module(Error* err) {
    static const Loaded loaded = load();  // once, whichever thread asks first
    if (!loaded.module && err) *err = Error{TlsErrorDomain, 0, loaded.failure};
    return loaded.module;
}
