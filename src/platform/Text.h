#pragma once
#include <string>
#include <string_view>

/// UTF-8 text helpers on ICU, shared by everything that checks or compares names.
namespace text {

/// Whether `s` is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF and no sequence cut
/// short. The empty text is valid.
bool isValidUtf8(std::string_view s);

/// `s` in lower case by Unicode's full mapping with the root locale (so "ẞ" becomes "ß", "Σ" "σ"). Text that is
/// not valid UTF-8 has only its ASCII letters lowered and every other byte kept.
std::string lowercased(std::string_view s);

}  // namespace text
