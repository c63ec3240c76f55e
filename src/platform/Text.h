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

/// Whether `s` holds a character that reorders the text around it (U+202A to U+202E, U+2066 to U+2069): such a
/// name can show as another, "invoice\u202Efdp.exe" as "invoiceexe.pdf".
bool hasBidiControls(std::string_view s);

/// `s` fit for a terminal or a log line: control characters (C0, DEL, C1) and bytes that are not UTF-8 as \xNN,
/// characters that reorder text as \uNNNN; everything else as it is. A name then cannot move the cursor, set
/// the window's title, break a line or show as another name.
std::string escapedControls(std::string_view s);

/// `s` with each ill-formed UTF-8 sequence replaced by U+FFFD, for formats that must be UTF-8 (JSON).
std::string withReplacementCharacters(std::string_view s);

}  // namespace text
