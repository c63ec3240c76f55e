#pragma once
#include <openssl/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"

/// A certificate with its private key (and any intermediate certificates) that a TLS server presents: the owner's
/// own, or one made for this user on first use and kept in the configuration folder.
class TlsCertificate {
public:
    /// Where the made certificate lives: $XDG_CONFIG_HOME/velkaro/ftps.pem (default ~/.config/velkaro/ftps.pem).
    static std::string defaultPath();
    /// The certificate at `path` (key and certificate in one PEM file); when the file is missing it is made, and when
    /// it is damaged, does not match its key or has expired it is replaced, with a log line. The file is written
    /// atomically with mode 0600. Nothing with `err` filled when it cannot be written.
    static std::optional<TlsCertificate> loadOrCreate(const std::string& path, Error* err = nullptr);
    /// A new self-signed certificate: ECDSA P-256, valid for 10 years, naming this host and its addresses.
    static std::optional<TlsCertificate> generate(Error* err = nullptr);
    /// The owner's certificate (PEM; further certificates in the file form the chain) and its private key.
    static std::optional<TlsCertificate> fromFiles(const std::string& certificatePath, const std::string& keyPath,
                                                   Error* err = nullptr);

    X509* certificate() const { return certificate_.get(); }
    EVP_PKEY* key() const { return key_.get(); }
    /// The intermediate certificates, leaf excluded.
    std::vector<X509*> chain() const;
    /// SHA-256 of the certificate as upper-case hex pairs joined by ':', as clients show it.
    std::string fingerprint() const { return fingerprintOf(certificate_.get()); }
    static std::string fingerprintOf(X509* certificate);
    /// The names this host goes by: its host name, "localhost", and every address of its interfaces.
    static std::vector<std::string> localNames();

private:
    using X509Ptr = std::shared_ptr<X509>;
    TlsCertificate(X509Ptr certificate, std::shared_ptr<EVP_PKEY> key, std::vector<X509Ptr> chain = {})
        : certificate_(std::move(certificate)), key_(std::move(key)), chain_(std::move(chain)) {}
    static std::optional<TlsCertificate> readPem(const std::string& certificatePath, const std::string& keyPath,
                                                 Error* err);
    bool save(const std::string& path, Error* err) const;

    X509Ptr certificate_;
    std::shared_ptr<EVP_PKEY> key_;
    std::vector<X509Ptr> chain_;
};
