#include "datasheets/DocumentsFolder.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/FileSystem.h"

std::string DocumentsFolder::path() {
    std::string p = documentsDirectory();
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string DocumentsFolder::pathForName(const std::string& name) { return path() + "/" + name; }

std::vector<std::string> DocumentsFolder::contentsOfDirectoryAtPath(const std::string& directory,
                                                                std::string* whyUnreadable) {
    std::vector<std::string> names;
    // readdir gives the file system's own order, which is the order the list shows.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
    if (whyUnreadable) *whyUnreadable = dir ? std::string() : std::strerror(errno);
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    return names;
}

std::string DocumentsFolder::fileURLWithPath(const std::string& absolutePath) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : absolutePath) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}
