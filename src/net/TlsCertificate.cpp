#include "net/TlsCertificate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "net/TlsLoader.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"
#include "net/TlsModule.h"

namespace {

// Certificate files are a few KiB; a path to something endless (a device, a pipe) must not fill the memory.
constexpr std::size_t kLargestFile = 1 << 20;

Error fileError(const std::string& path, int code) {
    return Error{"NSPOSIXErrorDomain", code, path + ": " + std::strerror(code)};
}

// Reads the file at `path`; with `privateKey`, refuses one that others than its owner may read.
bool readText(const std::string& path, std::string* text, Error* err, bool privateKey = false) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return *err = fileError(path, errno), false;
    struct stat st {};
    if (privateKey && ::fstat(fd.get(), &st) == 0 && (st.st_mode & 077)) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        *err = Error{"NSPOSIXErrorDomain", EPERM,
                     path + ": the private key may be read by others (mode " + mode + "); make it private first "
                            "(chmod 600 " + path + ")"};
        return false;
    }
    text->clear();
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return *err = fileError(path, errno), false;
        if (n == 0) return true;
        text->append(buffer, std::size_t(n));
        if (text->size() > kLargestFile) return *err = fileError(path, EFBIG), false;
    }
}

// Writes `bytes` to `path` so that the key never exists with wider permissions, not even for a moment: the new
// file is made 0600 and renamed over the old one only once complete.
bool writePrivately(const std::string& path, const std::string& bytes, Error* err) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    bool ok = bool(fd);
    for (std::size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? std::size_t(n) : 0;
    }
    ok = ok && ::fsync(fd.get()) == 0;
    int failure = ok ? 0 : errno;
    fd = UniqueFd();
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false, failure = errno;
    if (!ok) {
        ::unlink(temporary.c_str());
        if (err) *err = fileError(path, failure ? failure : EIO);
    }
    return ok;
}

// The program's own key file, and its folder, made the owner's alone if they are not (an older version, a copy,
// a permissive umask), with a log line: others could read the key or put one of their own in its place.
void makePrivate(const std::string& path) {
    auto repair = [](const std::string& file, mode_t allowedToOthers, mode_t mode) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || !(st.st_mode & 077 & ~allowedToOthers)) return;
        char old[8];
        std::snprintf(old, sizeof old, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        if (::chmod(file.c_str(), mode) == 0)
            NSLog("%@ could be %@ by others (mode %@); it is now private", file, S_ISDIR(st.st_mode) ? "changed" : "read",
                  std::string(old));
    };
    repair(std::filesystem::path(path).parent_path().string(), 055, 0700);  // others may look in, not write
    repair(path, 0, 0600);
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
    TlsModule* module = TlsLoader::module(err);
    return module ? module->generateCertificate(localNames(), err) : std::nullopt;
}

std::optional<TlsCertificate> TlsCertificate::fromFiles(const std::string& certificatePath,
                                                        const std::string& keyPath, Error* err) {
    Error scratch;
    Error* why = err ? err : &scratch;
    TlsModule* module = TlsLoader::module(why);
    std::string certificateText, keyText;
    if (!module || !readText(certificatePath, &certificateText, why, keyPath == certificatePath)) return std::nullopt;
    if (keyPath != certificatePath && !readText(keyPath, &keyText, why, true)) return std::nullopt;
    auto certificate =
        module->parseCertificate(certificateText, keyPath == certificatePath ? certificateText : keyText, why);
    if (!certificate) why->localizedDescription = certificatePath + ": " + why->localizedDescription;
    return certificate;
}

std::optional<TlsCertificate> TlsCertificate::loadOrCreate(const std::string& path, Error* err) {
    TlsModule* module = TlsLoader::module(err);
    if (!module) return std::nullopt;
    makePrivate(path);
    Error why;
    if (auto existing = fromFiles(path, path, &why)) {
        if (existing->notAfter() > std::time(nullptr)) return existing;
        why.localizedDescription = path + ": the certificate has expired";
    }
    if (why.domain != "NSPOSIXErrorDomain" || why.code != ENOENT)
        NSLog("Replacing the FTPS certificate (%@)", why.localizedDescription);
    auto made = generate(err);
    if (!made) return std::nullopt;
    const std::string pem = module->certificatePem(*made);
    if (pem.empty()) {
        if (err) *err = Error{TlsErrorDomain, 0, "cannot write the certificate"};
        return std::nullopt;
    }
    if (!writePrivately(path, pem, err)) return std::nullopt;
    return made;
}
