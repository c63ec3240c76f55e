#pragma once
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"

/// The certificate, key and chain as the TLS module holds them.
struct TlsCertificateData;

/// A certificate with its private key (and any intermediate certificates) that a TLS server presents: the owner's
/// own, or one made for this user on first use and kept in the configuration folder. Cheap to copy (shared).
class TlsCertificate {
public:
    /// Where the made certificate lives: $XDG_CONFIG_HOME/velkaro/ftps.pem (default ~/.config/velkaro/ftps.pem).
    static std::string defaultPath();
    /// The certificate at `path` (key and certificate in one PEM file); when the file is missing it is made, and when
    /// it is damaged, does not match its key or has expired it is replaced, with a log line. The file is written
    /// atomically with mode 0600. Nothing with `err` filled when it cannot be written or the TLS module is missing.
    static std::optional<TlsCertificate> loadOrCreate(const std::string& path, Error* err = nullptr);
    /// A new self-signed certificate: ECDSA P-256, valid for 10 years, naming this host and its addresses.
    static std::optional<TlsCertificate> generate(Error* err = nullptr);
    /// The owner's certificate (PEM; further certificates in the file form the chain) and its private key; a key
    /// file that others than its owner may read is refused (`loadOrCreate` repairs its own file instead).
    static std::optional<TlsCertificate> fromFiles(const std::string& certificatePath, const std::string& keyPath,
                                                   Error* err = nullptr);
    /// The names this host goes by: its host name, "localhost", and every address of its interfaces.
    static std::vector<std::string> localNames();

    /// Made by the TLS module only.
    TlsCertificate(std::shared_ptr<const TlsCertificateData> data, std::string fingerprint, std::time_t notAfter)
        : data_(std::move(data)), fingerprint_(std::move(fingerprint)), notAfter_(notAfter) {}

    /// SHA-256 of the certificate as upper-case hex pairs joined by ':', as clients show it.
    const std::string& fingerprint() const { return fingerprint_; }
    /// The end of the certificate's validity.
    std::time_t notAfter() const { return notAfter_; }
    const TlsCertificateData& data() const { return *data_; }

private:
    std::shared_ptr<const TlsCertificateData> data_;
    std::string fingerprint_;
    std::time_t notAfter_;
};
