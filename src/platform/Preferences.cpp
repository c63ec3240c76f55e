#include "platform/Preferences.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Log.h"
#include "platform/Numbers.h"

namespace fs = std::filesystem;

// File format: a first line "velkaro-preferences 1", then one "key<TAB>type<TAB>value" line per entry, type being
// i, b or s. Keys and values never hold tabs or line ends (they are the app's own fixed keys).
static const char* kHeader = "velkaro-preferences 1";

Preferences::Preferences(std::string path) : path_(std::move(path)) {}

std::string Preferences::defaultPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    return base + "/velkaro/preferences";
}

Preferences& Preferences::standard() {
    static Preferences store(defaultPath());
    return store;
}

void Preferences::setStandardPath(std::string path) {
    Preferences& store = standard();
    store.path_ = std::move(path);
    store.loaded_ = false;
    store.values_.clear();
}

void Preferences::load() {
    if (loaded_) return;
    loaded_ = true;
    values_.clear();
    std::ifstream in(path_);
    if (!in) {
        if (errno != ENOENT) logLine("Preferences: cannot read " + path_ + ": " + std::strerror(errno));
        return;
    }
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        logLine("Preferences: " + path_ + " is not a preferences file; using defaults");
        return;
    }
    std::map<std::string, Value> read;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        auto t1 = line.find('\t');
        auto t2 = t1 == std::string::npos ? std::string::npos : line.find('\t', t1 + 1);
        if (t2 == std::string::npos || t2 != t1 + 2 || std::string("ibs").find(line[t1 + 1]) == std::string::npos) {
            logLine("Preferences: " + path_ + " is corrupt; using defaults");
            return;
        }
        read[line.substr(0, t1)] = Value{line[t1 + 1], line.substr(t2 + 1)};
    }
    values_ = std::move(read);
}

void Preferences::save() {
    std::error_code ec;
    fs::path target(path_);
    fs::create_directories(target.parent_path(), ec);
    std::string tmp = path_ + ".tmp";
    std::ostringstream out;
    out << kHeader << '\n';
    for (const auto& [key, v] : values_) out << key << '\t' << v.type << '\t' << v.text << '\n';
    std::string data = out.str();
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < data.size();) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    if (ok) ok = ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(tmp.c_str(), path_.c_str()) == 0;
    if (!ok) {
        logLine("Preferences: cannot write " + path_ + ": " + std::strerror(errno));
        ::unlink(tmp.c_str());
    }
}

bool Preferences::hasObject(const std::string& key) {
    load();
    return values_.count(key) != 0;
}

int Preferences::integerForKey(const std::string& key) {
    load();
    auto it = values_.find(key);
    if (it == values_.end()) return 0;
    return intValue(it->second.text);
}

bool Preferences::boolForKey(const std::string& key) {
    load();
    auto it = values_.find(key);
    if (it == values_.end()) return false;
    const std::string& t = it->second.text;
    if (it->second.type == 's') {
        // Texts beginning with Y, y, T, t or a non-zero number are true, as the platform reads them.
        auto p = t.find_first_not_of(" \t");
        if (p != std::string::npos && std::strchr("YyTt", t[p])) return true;
    }
    return intValue(t) != 0;
}

void Preferences::setInteger(int value, const std::string& key) {
    load();
    values_[key] = Value{'i', std::to_string(value)};
    save();
}

void Preferences::setBool(bool value, const std::string& key) {
    load();
    values_[key] = Value{'b', value ? "1" : "0"};
    save();
}
