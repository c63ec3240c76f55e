#include "platform/Resources.h"

#include <map>

const std::map<std::string, std::string_view>& embeddedResources();

std::optional<std::string_view> resourceNamed(std::string_view name) {
    const auto& table = embeddedResources();
    auto it = table.find(std::string(name));
    if (it == table.end()) return std::nullopt;
    return it->second;
}

namespace {

// Reads one quoted string starting at text[i] == '"', handling \" \\ \n escapes; advances i past it.
bool readQuoted(std::string_view text, size_t& i, std::string& out) {
    if (i >= text.size() || text[i] != '"') return false;
    ++i;
    out.clear();
    while (i < text.size() && text[i] != '"') {
        char c = text[i++];
        if (c == '\\' && i < text.size()) {
            char e = text[i++];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
            out += c;
        }
    }
    if (i >= text.size()) return false;
    ++i;
    return true;
}

std::map<std::string, std::string> parseStrings(std::string_view text) {
    std::map<std::string, std::string> entries;
    size_t i = 0;
    while (i < text.size()) {
        size_t q = text.find('"', i);
        if (q == std::string_view::npos) break;
        // Skip comment lines that start with // before a quote.
        size_t lineStart = text.rfind('\n', q);
        lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        if (text.substr(lineStart, 2) == "//") {
            i = text.find('\n', q);
            if (i == std::string_view::npos) break;
            continue;
        }
        i = q;
        std::string key, value;
        if (!readQuoted(text, i, key)) break;
        size_t eq = text.find('=', i);
        if (eq == std::string_view::npos) break;
        i = text.find('"', eq);
        if (i == std::string_view::npos || !readQuoted(text, i, value)) break;
        entries[key] = value;
        size_t semi = text.find(';', i);
        i = semi == std::string_view::npos ? text.size() : semi + 1;
    }
    return entries;
}

}  // namespace

std::string localizedString(std::string_view key, std::string_view table) {
    static std::map<std::string, std::map<std::string, std::string>> cache;
    auto it = cache.find(std::string(table));
    if (it == cache.end()) {
        auto text = resourceNamed(table);
        it = cache.emplace(std::string(table), text ? parseStrings(*text) : std::map<std::string, std::string>{}).first;
    }
    auto entry = it->second.find(std::string(key));
    return entry == it->second.end() ? std::string(key) : entry->second;
}
