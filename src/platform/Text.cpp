#include "platform/Text.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdio>

namespace {

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string asciiLowercased(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isBidiControl(UChar32 c) { return (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069); }

// Calls `each(c, from, to)` for every character of `s` (c < 0 for an ill-formed sequence) by ICU's rules.
template <typename Each>
void forEachCharacter(std::string_view s, Each each) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
    const auto length = static_cast<int64_t>(s.size());
    for (int64_t i = 0; i < length;) {
        const int64_t from = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        each(c, static_cast<size_t>(from), static_cast<size_t>(i));
    }
}

}  // namespace

namespace text {

bool hasBidiControls(std::string_view s) {
    bool found = false;
    forEachCharacter(s, [&found](UChar32 c, size_t, size_t) { found |= isBidiControl(c); });
    return found;
}

std::string escapedControls(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    forEachCharacter(s, [&](UChar32 c, size_t from, size_t to) {
        char code[16];
        if (c < 0 || c < 0x20 || (c >= 0x7f && c < 0xa0)) {
            for (size_t i = from; i < to; ++i) {
                std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(s[i]));
                out += code;
            }
        } else if (isBidiControl(c)) {
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
            out += code;
        } else {
            out.append(s.substr(from, to - from));
        }
    });
    return out;
}

std::string withReplacementCharacters(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    forEachCharacter(s, [&](UChar32 c, size_t from, size_t to) {
        if (c < 0) out += "\xEF\xBF\xBD";
        else out.append(s.substr(from, to - from));
    });
    return out;
}

bool isValidUtf8(std::string_view s) {
    // ICU's own walk follows the Unicode rules for ill-formed sequences (a negative code point marks one).
    const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
    const auto length = static_cast<int64_t>(s.size());
    for (int64_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string lowercased(std::string_view s) {
    if (isAscii(s) || !isValidUtf8(s)) return asciiLowercased(s);
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(s.size()));
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8ToLower("", 0, icu::StringPiece(s.data(), static_cast<int32_t>(s.size())), sink, nullptr, status);
    return U_SUCCESS(status) ? out : asciiLowercased(s);
}

}  // namespace text
