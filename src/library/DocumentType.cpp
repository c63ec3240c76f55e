#include "library/DocumentType.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/Format.h"
#include "platform/Text.h"

namespace {

constexpr size_t kHeadSize = 4096;

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Valid UTF-8 without control characters other than tabs, line and page breaks. The head may cut the last
// character short: it is still text if some continuation bytes would complete it.
bool looksLikeText(std::string_view s) {
    auto control = [](unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f'; };
    if (std::any_of(s.begin(), s.end(), control)) return false;
    if (text::isValidUtf8(s)) return true;
    // The first missing byte of a sequence is 0x80..0xBF, narrowed after E0, ED, F0 and F4; 0x80 or 0xA0 fits each.
    for (std::size_t missing = 1; missing <= 3; ++missing)
        for (char first : {'\x80', '\xA0'})
            if (text::isValidUtf8(std::string(s) + first + std::string(missing - 1, '\x80'))) return true;
    return false;
}

bool looksLikeHtml(std::string_view head) {
    size_t i = head.find_first_not_of(" \t\r\n");
    if (i == std::string_view::npos) return false;
    std::string start = text::lowercased(head.substr(i, 15));
    return startsWith(start, "<!doctype html") || startsWith(start, "<html");
}

Error makeError(DocumentType::ErrorCode code, std::string text) {
    return Error{DocumentType::kErrorDomain, code, std::move(text)};
}

}  // namespace

std::string DocumentType::extensionOf(std::string_view name) {
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return "";
    return text::lowercased(name.substr(dot + 1));
}

DocumentType::Kind DocumentType::kindOfContent(std::string_view head, std::string_view name) {
    // PDF allows a little junk before its header; 1024 bytes is what readers accept.
    if (head.substr(0, 1024).find("%PDF-") != std::string_view::npos) return Kind::Pdf;
    if (startsWith(head, "\x89PNG\r\n\x1a\n") || startsWith(head, "\xff\xd8\xff") || startsWith(head, "GIF87a") ||
        startsWith(head, "GIF89a") || (startsWith(head, "RIFF") && head.substr(8, 4) == "WEBP"))
        return Kind::Image;

    static const std::array<const char*, 3> html = {"html", "htm", "xhtml"};
    static const std::array<const char*, 8> images = {"png", "jpg", "jpeg", "gif", "bmp", "svg", "webp", "ico"};
    static const std::array<const char*, 1> pdf = {"pdf"};
    std::string ext = extensionOf(name);
    auto in = [&ext](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&ext](const char* e) { return ext == e; });
    };
    if (in(pdf)) return Kind::Pdf;  // without its header: the renderer will say it is damaged
    if (in(html) || looksLikeHtml(head)) return Kind::Html;
    if (in(images)) return Kind::Image;
    if (looksLikeText(head)) return Kind::Text;
    return Kind::Unsupported;
}

std::optional<DocumentType::Kind> DocumentType::kindOfFile(const std::string& path, Error* error) {
    const std::string name = baseName(path);
    auto fail = [&](ErrorCode code, std::string text) -> std::optional<Kind> {
        if (error) *error = makeError(code, std::move(text));
        return std::nullopt;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(FileMissing, format("\"%@\" is no longer in the store. Go back and refresh the list.", name));
        return fail(Unreadable, format("\"%@\" cannot be read: %@.", name, std::strerror(errno)));
    }
    if (S_ISDIR(st.st_mode))
        return fail(IsFolder, format("\"%@\" is a folder. Only files can be shown; move files out of it with the "
                                     "FTP transfer screen.",
                                     name));
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(Unreadable, format("\"%@\" cannot be read: %@.", name, std::strerror(errno)));
    std::string head(kHeadSize, '\0');
    ssize_t n;
    do {
        n = ::read(fd, head.data(), head.size());
    } while (n < 0 && errno == EINTR);
    int readErrno = errno;
    ::close(fd);
    if (n < 0) return fail(Unreadable, format("\"%@\" cannot be read: %@.", name, std::strerror(readErrno)));
    head.resize(static_cast<size_t>(n));
    return kindOfContent(head, name);
}

Error DocumentType::unsupportedError(const std::string& name) {
    return makeError(UnsupportedType, format("\"%@\" is not a kind of file this viewer shows (PDF, HTML, text and "
                                             "pictures). Use \"Open with…\" to open it with another program.",
                                             name));
}

Error DocumentType::damagedError(const std::string& name, const std::string& what) {
    return makeError(Damaged, format("\"%@\" cannot be shown: it is not a complete %@. Use \"Open with…\" to "
                                     "try another program.",
                                     name, what));
}
