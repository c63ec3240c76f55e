#include "tlsmodule/OpenSslCertificate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tlsmodule/OpenSslContext.h"

namespace {

constexpr long kValidDays = 3653;  // ten years, leap days included

using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

BioPtr memoryOf(const std::string& text) {
    return BioPtr(BIO_new_mem_buf(text.data(), int(std::min<std::size_t>(text.size(), 1 << 30))), BIO_free);
}

// "DNS:name" or "IP:address" entries for the subject alternative name extension; names that are not plain host
// names are left out rather than making the whole extension invalid.
std::string subjectAltNames(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) {
        in6_addr scratch;
        bool ip = ::inet_pton(AF_INET, n.c_str(), &scratch) == 1 || ::inet_pton(AF_INET6, n.c_str(), &scratch) == 1;
        bool hostName = !n.empty() && std::all_of(n.begin(), n.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '-' || c == '.';
        });
        if (!ip && !hostName) continue;
        if (!list.empty()) list += ',';
        list += (ip ? "IP:" : "DNS:") + n;
    }
    return list;
}

bool addExtension(X509* cert, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext) return false;
    bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

std::time_t notAfterOf(X509* certificate) {
    struct tm when {};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(certificate), &when) != 1) return 0;  // unreadable: already expired
    return ::timegm(&when);
}

}  // namespace

TlsCertificate OpenSslCertificate::wrap(TlsCertificateData data) {
    std::string fingerprint = fingerprintOf(data.certificate.get());
    std::time_t notAfter = notAfterOf(data.certificate.get());
    return TlsCertificate(std::make_shared<const TlsCertificateData>(std::move(data)), std::move(fingerprint),
                          notAfter);
}

std::optional<TlsCertificate> OpenSslCertificate::generate(const std::vector<std::string>& names, Error* err) {
    std::shared_ptr<EVP_PKEY> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::shared_ptr<X509> cert(X509_new(), X509_free);
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), BN_free);
    bool ok = !names.empty() && key && cert && serial && X509_set_version(cert.get(), X509_VERSION_3) == 1 &&
              BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
              BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) &&
              X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) &&  // a peer whose clock lags a little
              X509_time_adj_ex(X509_getm_notAfter(cert.get()), kValidDays, 0, nullptr) &&
              X509_set_pubkey(cert.get(), key.get()) == 1;
    if (ok) {
        X509_NAME* subject = X509_get_subject_name(cert.get());
        std::string common = names.front().substr(0, 64);  // the longest common name allowed
        ok = X509_NAME_add_entry_by_txt(subject, "O", MBSTRING_UTF8,
                                        reinterpret_cast<const unsigned char*>("Velkaro"), -1, -1, 0) == 1 &&
             X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                        reinterpret_cast<const unsigned char*>(common.c_str()), -1, -1, 0) == 1 &&
             X509_set_issuer_name(cert.get(), subject) == 1 &&
             addExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") &&
             addExtension(cert.get(), NID_key_usage, "critical,digitalSignature") &&
             addExtension(cert.get(), NID_ext_key_usage, "serverAuth") &&
             addExtension(cert.get(), NID_subject_key_identifier, "hash") &&
             addExtension(cert.get(), NID_subject_alt_name, subjectAltNames(names)) &&
             X509_sign(cert.get(), key.get(), EVP_sha256()) > 0;
    }
    if (!ok) {
        if (err) *err = OpenSslContext::takeLibraryError("cannot make a certificate");
        return std::nullopt;
    }
    return wrap({std::move(cert), std::move(key), {}});
}

std::optional<TlsCertificate> OpenSslCertificate::parse(const std::string& certificatePem, const std::string& keyPem,
                                                        Error* err) {
    ERR_clear_error();
    TlsCertificateData data;
    BioPtr certificates = memoryOf(certificatePem);
    BioPtr keys = memoryOf(keyPem);
    if (certificates && keys) {
        data.certificate.reset(PEM_read_bio_X509(certificates.get(), nullptr, nullptr, nullptr), X509_free);
        while (X509* extra = PEM_read_bio_X509(certificates.get(), nullptr, nullptr, nullptr))
            data.chain.emplace_back(extra, X509_free);
        data.key.reset(PEM_read_bio_PrivateKey(keys.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    }
    if (!data.certificate || !data.key || X509_check_private_key(data.certificate.get(), data.key.get()) != 1) {
        if (err) *err = OpenSslContext::takeLibraryError("no certificate with its private key");
        return std::nullopt;
    }
    ERR_clear_error();  // the chain's end leaves a "no start line" behind
    return wrap(std::move(data));
}

std::string OpenSslCertificate::pem(const TlsCertificate& certificate) {
    BioPtr out(BIO_new(BIO_s_mem()), BIO_free);
    const TlsCertificateData& data = certificate.data();
    if (!out || PEM_write_bio_PrivateKey(out.get(), data.key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
        PEM_write_bio_X509(out.get(), data.certificate.get()) != 1) {
        ERR_clear_error();
        return {};
    }
    char* bytes = nullptr;
    long length = BIO_get_mem_data(out.get(), &bytes);
    return std::string(bytes, std::size_t(length));
}

std::string OpenSslCertificate::fingerprintOf(X509* certificate) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), md, &length) != 1) return {};
    std::string out;
    char pair[4];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, i ? ":%02X" : "%02X", md[i]);
        out += pair;
    }
    return out;
}
