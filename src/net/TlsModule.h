#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/TlsCertificate.h"
#include "net/TlsContext.h"
#include "platform/Error.h"

// The interface of the TLS module, a shared object that the programs load only when they first need TLS (an AUTH
// TLS, a listener's certificate, a fingerprint on screen): OpenSSL stays out of every other start. Nothing here
// names an OpenSSL type; the module and the programs are built together, so they share one C++ ABI. It lives beside
// the loader: src/tlsmodule implements it and includes this side, never the other way round.

/// What the module does. One object lives in the module for the program's life; its calls may come from any thread,
/// one at a time per object they return.
class TlsModule {
public:
    virtual ~TlsModule() = default;

    /// A new self-signed certificate: ECDSA P-256, valid for 10 years, `names` (host names and addresses) as its
    /// subject names, the first as its common name. Nothing with `err` filled when the library fails.
    virtual std::optional<TlsCertificate> generateCertificate(const std::vector<std::string>& names,
                                                              Error* err) = 0;
    /// The first certificate of `certificatePem` (further ones form its chain) with the private key found in
    /// `keyPem` (the same text may hold both). Nothing with `err` filled when either is missing or they do not match.
    virtual std::optional<TlsCertificate> parseCertificate(const std::string& certificatePem,
                                                           const std::string& keyPem, Error* err) = 0;
    /// The private key and then the certificate as PEM, which `parseCertificate` reads back; empty on failure.
    virtual std::string certificatePem(const TlsCertificate& certificate) = 0;

    /// See `TlsContext::server` and `TlsContext::client`.
    virtual std::shared_ptr<TlsContext> serverContext(const TlsCertificate& certificate, Error* err) = 0;
    virtual std::shared_ptr<TlsContext> clientContext(const std::string& pinnedFingerprint, Error* err) = 0;
};

/// The entry point's name and type, for dlsym: the module's one `TlsModule`.
inline constexpr const char* kTlsModuleSymbol = "velkaroTlsModule";
using TlsModuleFunction = TlsModule* (*)();
