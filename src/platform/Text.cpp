#include "platform/Text.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/normalizer2.h>
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

// Form C of text already known to be valid UTF-8; the text itself if ICU cannot do it.
std::string normalizeValid(std::string_view s) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return std::string(s);
    icu::UnicodeString in = icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
    icu::UnicodeString out = nfc->normalize(in, status);
    if (U_FAILURE(status)) return std::string(s);
    std::string result;
    out.toUTF8String(result);
    return result;
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

std::string normalizedFormC(std::string_view s) {
    if (isValidUtf8(s)) return normalizeValid(s);
    // One badly encoded name must not stop the others from being normalised: go line by line.
    std::string out;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t end = s.find('\n', start);
        end = end == std::string_view::npos ? s.size() : end + 1;
        std::string_view line = s.substr(start, end - start);
        out += isValidUtf8(line) ? normalizeValid(line) : std::string(line);
        start = end;
    }
    return out;
}

}  // namespace text
