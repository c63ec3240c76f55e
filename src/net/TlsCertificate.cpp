#include "net/TlsCertificate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "net/TlsContext.h"
#include "platform/Log.h"

namespace {

constexpr long kValidDays = 3653;  // ten years, leap days included

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Error fileError(const std::string& path, int code) {
    return Error{"NSPOSIXErrorDomain", code, path + ": " + std::strerror(code)};
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

}  // namespace

std::string TlsCertificate::defaultPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/velkaro/ftps.pem";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/velkaro/ftps.pem";
}

std::vector<std::string> TlsCertificate::localNames() {
    std::vector<std::string> names;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0 && *host) names.emplace_back(host);
    names.emplace_back("localhost");
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) == 0) {
        for (ifaddrs* i = list; i; i = i->ifa_next) {
            if (!i->ifa_addr || (i->ifa_addr->sa_family != AF_INET && i->ifa_addr->sa_family != AF_INET6)) continue;
            char text[INET6_ADDRSTRLEN];
            const void* bytes = i->ifa_addr->sa_family == AF_INET
                                    ? static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr)
                                    : &reinterpret_cast<sockaddr_in6*>(i->ifa_addr)->sin6_addr;
            if (::inet_ntop(i->ifa_addr->sa_family, bytes, text, sizeof text)) names.emplace_back(text);
        }
        ::freeifaddrs(list);
    }
    std::sort(names.begin() + 1, names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::optional<TlsCertificate> TlsCertificate::generate(Error* err) {
    std::shared_ptr<EVP_PKEY> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    X509Ptr cert(X509_new(), X509_free);
    std::vector<std::string> names = localNames();
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), BN_free);
    bool ok = key && cert && serial && X509_set_version(cert.get(), X509_VERSION_3) == 1 &&
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
        if (err) *err = TlsContext::takeLibraryError("cannot make a certificate");
        return std::nullopt;
    }
    return TlsCertificate(std::move(cert), std::move(key));
}

std::optional<TlsCertificate> TlsCertificate::readPem(const std::string& certificatePath, const std::string& keyPath,
                                                      Error* err) {
    FilePtr certFile(std::fopen(certificatePath.c_str(), "re"));
    if (!certFile) {
        if (err) *err = fileError(certificatePath, errno);
        return std::nullopt;
    }
    X509Ptr leaf(PEM_read_X509(certFile.get(), nullptr, nullptr, nullptr), X509_free);
    std::vector<X509Ptr> chain;
    while (X509* extra = PEM_read_X509(certFile.get(), nullptr, nullptr, nullptr)) chain.emplace_back(extra, X509_free);
    FilePtr keyFile(keyPath == certificatePath ? nullptr : std::fopen(keyPath.c_str(), "re"));
    if (keyPath != certificatePath && !keyFile) {
        if (err) *err = fileError(keyPath, errno);
        return std::nullopt;
    }
    if (!keyFile) std::rewind(certFile.get());
    std::shared_ptr<EVP_PKEY> key(PEM_read_PrivateKey(keyFile ? keyFile.get() : certFile.get(), nullptr, nullptr,
                                                      nullptr),
                                  EVP_PKEY_free);
    if (!leaf || !key || X509_check_private_key(leaf.get(), key.get()) != 1) {
        if (err) {
            *err = TlsContext::takeLibraryError("no certificate with its private key");
            err->localizedDescription = certificatePath + ": " + err->localizedDescription;
        }
        return std::nullopt;
    }
    ERR_clear_error();  // the chain's end leaves a "no start line" behind
    return TlsCertificate(std::move(leaf), std::move(key), std::move(chain));
}

std::optional<TlsCertificate> TlsCertificate::fromFiles(const std::string& certificatePath,
                                                        const std::string& keyPath, Error* err) {
    return readPem(certificatePath, keyPath, err);
}

std::optional<TlsCertificate> TlsCertificate::loadOrCreate(const std::string& path, Error* err) {
    Error why;
    if (auto existing = readPem(path, path, &why)) {
        if (X509_cmp_current_time(X509_get0_notAfter(existing->certificate())) > 0) return existing;
        why.localizedDescription = path + ": the certificate has expired";
    }
    if (why.domain != "NSPOSIXErrorDomain" || why.code != ENOENT)
        NSLog("Replacing the FTPS certificate (%@)", why.localizedDescription);
    auto made = generate(err);
    if (!made || !made->save(path, err)) return std::nullopt;
    return made;
}

bool TlsCertificate::save(const std::string& path, Error* err) const {
    std::error_code ec;
    std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path(), ec);
    std::unique_ptr<BIO, decltype(&BIO_free)> pem(BIO_new(BIO_s_mem()), BIO_free);
    if (!pem || PEM_write_bio_PrivateKey(pem.get(), key_.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
        PEM_write_bio_X509(pem.get(), certificate_.get()) != 1) {
        if (err) *err = TlsContext::takeLibraryError("cannot write the certificate");
        return false;
    }
    char* bytes = nullptr;
    long length = BIO_get_mem_data(pem.get(), &bytes);
    // The key never exists with wider permissions, not even for a moment: the new file is made 0600 and renamed
    // over the old one only once complete.
    std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = fd >= 0;
    for (long done = 0; ok && done < length;) {
        ssize_t n = ::write(fd, bytes + done, std::size_t(length - done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    int failure = ok ? 0 : errno;
    if (fd >= 0) ::close(fd);
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false, failure = errno;
    if (!ok) {
        ::unlink(temporary.c_str());
        if (err) *err = fileError(path, failure ? failure : EIO);
    }
    return ok;
}

std::vector<X509*> TlsCertificate::chain() const {
    std::vector<X509*> out;
    for (const X509Ptr& c : chain_) out.push_back(c.get());
    return out;
}

std::string TlsCertificate::fingerprintOf(X509* certificate) {
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
