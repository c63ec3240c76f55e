// The TLS module's entry point: everything that calls OpenSSL lives in this shared object.
#include "net/TlsModule.h"
#include "tlsmodule/OpenSslCertificate.h"
#include "tlsmodule/OpenSslContext.h"

namespace {

class OpenSslModule final : public TlsModule {
public:
    std::optional<TlsCertificate> generateCertificate(const std::vector<std::string>& names, Error* err) override {
        return OpenSslCertificate::generate(names, err);
    }
    std::optional<TlsCertificate> parseCertificate(const std::string& certificatePem, const std::string& keyPem,
                                                   Error* err) override {
        return OpenSslCertificate::parse(certificatePem, keyPem, err);
    }
    std::string certificatePem(const TlsCertificate& certificate) override {
        return OpenSslCertificate::pem(certificate);
    }
    std::shared_ptr<TlsContext> serverContext(const TlsCertificate& certificate, Error* err) override {
        return OpenSslContext::server(certificate, err);
    }
    std::shared_ptr<TlsContext> clientContext(const std::string& pinnedFingerprint, Error* err) override {
        return OpenSslContext::client(pinnedFingerprint, err);
    }
};

}  // namespace

/// The module's one TlsModule, alive until the program ends.
extern "C" __attribute__((visibility("default"))) TlsModule* velkaroTlsModule() {
    static OpenSslModule module;
    return &module;
}
