#include "platform/Text.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>

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

}  // namespace

namespace text {

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
