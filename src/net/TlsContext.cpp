#include "net/TlsContext.h"

#include "net/TlsLoader.h"
#include "net/TlsModule.h"

std::shared_ptr<TlsContext> TlsContext::server(const TlsCertificate& certificate, Error* err) {
    TlsModule* module = TlsLoader::module(err);
    return module ? module->serverContext(certificate, err) : nullptr;
}

std::shared_ptr<TlsContext> TlsContext::client(const std::string& pinnedFingerprint, Error* err) {
    TlsModule* module = TlsLoader::module(err);
    return module ? module->clientContext(pinnedFingerprint, err) : nullptr;
}
