#pragma once
#include <openssl/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/TlsCertificate.h"

/// The module's form of a certificate: the leaf, its key and the intermediate certificates.
struct TlsCertificateData {
    std::shared_ptr<X509> certificate;
    std::shared_ptr<EVP_PKEY> key;
    std::vector<std::shared_ptr<X509>> chain;
};

/// Certificates made, read and written with OpenSSL (see `TlsModule` for the contracts).
class OpenSslCertificate {
public:
    static std::optional<TlsCertificate> generate(const std::vector<std::string>& names, Error* err);
    static std::optional<TlsCertificate> parse(const std::string& certificatePem, const std::string& keyPem,
                                               Error* err);
    static std::string pem(const TlsCertificate& certificate);
    /// SHA-256 of `certificate` as upper-case hex pairs joined by ':'; empty when it cannot be computed.
    static std::string fingerprintOf(X509* certificate);

private:
    static TlsCertificate wrap(TlsCertificateData data);
};
