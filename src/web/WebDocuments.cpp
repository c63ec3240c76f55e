#include "web/WebDocuments.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "ftp/FtpPathResolver.h"
#include "platform/Text.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;  // control characters never reach here: such names are not listed
    }
    return out + "\"";
}

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::optional<std::string> WebDocuments::nameFromSegment(std::string_view segment) {
    std::string name;
    for (size_t i = 0; i < segment.size(); ++i) {
        char c = segment[i];
        if (c == '%') {
            int hi = i + 2 < segment.size() ? hexValue(segment[i + 1]) : -1;
            int lo = i + 2 < segment.size() ? hexValue(segment[i + 2]) : -1;
            if (hi < 0 || lo < 0) return std::nullopt;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '/') return std::nullopt;
        name += c;
    }
    if (name.empty() || name.front() == '.' || !text::isValidUtf8(name)) return std::nullopt;
    return name;
}

std::optional<std::string> WebDocuments::pathFromSegments(std::string_view segments) {
    if (segments.ends_with('/')) segments.remove_suffix(1);
    std::string path;
    for (std::size_t at = 0; at < segments.size();) {
        const std::size_t slash = std::min(segments.find('/', at), segments.size());
        auto name = nameFromSegment(segments.substr(at, slash - at));
        if (!name) return std::nullopt;
        path += (path.empty() ? "" : "/") + *name;
        at = slash + 1;
        if (slash + 1 == segments.size()) return std::nullopt;  // "a//" or "a/" inside
    }
    return path;
}

std::optional<std::vector<WebDocuments::Document>> WebDocuments::list(const FtpPathResolver& paths,
                                                                      const std::string& folder) {
    auto folderPath = paths.enterableDirectory(folder);
    UniqueFd fd = folderPath ? paths.open(*folderPath, O_RDONLY | O_DIRECTORY) : UniqueFd();
    DIR* dir = fd ? ::fdopendir(fd.get()) : nullptr;
    if (!dir) return std::nullopt;
    fd.release();  // the stream owns it now
    std::vector<Document> documents;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.empty() || name.front() == '.' || !nameFromSegment(name)) continue;
        struct stat st {};
        auto found = paths.locate(folderPath->empty() ? name : *folderPath + "/" + name, true);
        if (!found || !found->exists || ::fstatat(found->folder.get(), found->name.c_str(), &st, 0) != 0 ||
            (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)))
            continue;
        documents.push_back({name, S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size),
                             static_cast<std::int64_t>(st.st_mtime), S_ISDIR(st.st_mode)});
    }
    ::closedir(dir);
    std::sort(documents.begin(), documents.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return documents;
}

std::string WebDocuments::toJson(const std::vector<Document>& documents) {
    std::string out = "[";
    for (const Document& d : documents) {
        if (out.size() > 1) out += ",";
        out += "{\"name\":" + jsonString(d.name) + ",\"size\":" + std::to_string(d.size) +
               ",\"mtime\":" + std::to_string(d.mtime) + (d.folder ? ",\"folder\":true}" : "}");
    }
    return out + "]";
}

const char* WebDocuments::contentType(std::string_view name) {
    static const std::pair<std::string_view, const char*> kTypes[] = {
        {".pdf", "application/pdf"}, {".txt", "text/plain; charset=utf-8"}, {".png", "image/png"},
        {".jpg", "image/jpeg"},      {".jpeg", "image/jpeg"},               {".svg", "image/svg+xml"},
        {".htm", "text/plain; charset=utf-8"}, {".html", "text/plain; charset=utf-8"},
        {".zip", "application/zip"}};
    std::string lower = text::lowercased(name);
    for (auto& [extension, type] : kTypes)
        if (lower.size() > extension.size() && lower.ends_with(extension)) return type;
    return "application/octet-stream";
}

std::string WebDocuments::attachment(std::string_view name) {
    // The quoted plain name keeps ASCII only (for old browsers); filename* carries the exact UTF-8 name.
    std::string plain, encoded;
    for (unsigned char c : name) {
        plain += (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') ? static_cast<char>(c) : '_';
        if (isUnreserved(c)) {
            encoded += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            encoded += buf;
        }
    }
    return "attachment; filename=\"" + plain + "\"; filename*=UTF-8''" + encoded;
}
