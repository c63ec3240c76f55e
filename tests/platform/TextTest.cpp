#include "platform/Text.h"

#include <gtest/gtest.h>

TEST(Text, Utf8ValidityIsStrict) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"plain ASCII", true},
        {std::string("nul\0inside", 10), true},
        {"Widerst\xC3\xA4nde \xE2\x82\xAC \xF0\x9F\x94\x8C", true},  // ä, €, a 4-byte emoji
        {"\xF4\x8F\xBF\xBF", true},                                  // U+10FFFF, the last code point
        {"\xC3\x28", false},                                         // a lead byte without its continuation
        {"\x80", false},                                             // a lone continuation byte
        {"\xC0\xAF", false},                                         // overlong "/"
        {"\xE0\x80\xAF", false},                                     // overlong in three bytes
        {"\xED\xA0\x80", false},                                     // a surrogate, U+D800
        {"\xF4\x90\x80\x80", false},                                 // U+110000, past the end
        {"\xF5\x80\x80\x80", false},
        {"cut \xE2\x82", false},  // truncated at the end
        {"\xFF", false},
    };
    for (const auto& [bytes, valid] : cases) EXPECT_EQ(text::isValidUtf8(bytes), valid) << bytes;
}

TEST(Text, LowercasingIsUnicodeForValidTextAndAsciiOnlyOtherwise) {
    const std::pair<std::string, std::string> cases[] = {
        {"README.PDF", "readme.pdf"},
        {"\xC3\x84RGER \xCE\xA3", "\xC3\xA4rger \xCF\x83"},                        // Ä → ä, Σ alone → σ
        {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"},  // ΟΔΟΣ → οδος: final sigma
        {"\xE1\xBA\x9E", "\xC3\x9F"},                                              // capital sharp s → ß
        {"I\xCC\x87", "i\xCC\x87"},      // I with a combining dot stays two code points
        {"\xC4\xB0", "i\xCC\x87"},       // İ lowers to i + combining dot (full mapping)
        {"ABC\xFF\xC3", "abc\xFF\xC3"},  // invalid: ASCII lowered, other bytes kept
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(text::lowercased(in), out) << in;
}

TEST(Text, NamesForTerminalsAndJsonAreEscapedOrRepaired) {
    struct Row {
        std::string in, escaped, repaired;
        bool reorders;
    } rows[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC.pdf", "caf\xC3\xA9 \xE2\x82\xAC.pdf", "caf\xC3\xA9 \xE2\x82\xAC.pdf", false},
        {"esc\x1B]0;pwned\x07title.pdf", "esc\\x1b]0;pwned\\x07title.pdf", "esc\x1B]0;pwned\x07title.pdf", false},
        {"two\nlines\r\t\x7F", "two\\x0alines\\x0d\\x09\\x7f", "two\nlines\r\t\x7F", false},
        {"c1 \xC2\x9B" "2J", "c1 \\xc2\\x9b2J", "c1 \xC2\x9B" "2J", false},             // U+009B, CSI
        {"raw \x9B\xFF\xFE", "raw \\x9b\\xff\\xfe", "raw \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"cut \xE2\x82", "cut \\xe2\\x82", "cut \xEF\xBF\xBD", false},  // one sequence, one U+FFFD
        {"caf\xC3\xA9 \xE2\x80\xAE" "FDP.exe", "caf\xC3\xA9 \\u202eFDP.exe", "caf\xC3\xA9 \xE2\x80\xAE" "FDP.exe", true},
        {"iso\xE2\x81\xA6late\xE2\x81\xA9", "iso\\u2066late\\u2069", "iso\xE2\x81\xA6late\xE2\x81\xA9", true},
        {"mark \xE2\x80\x8F", "mark \xE2\x80\x8F", "mark \xE2\x80\x8F", false},  // RLM moves nothing else
    };
    for (const Row& r : rows) {
        EXPECT_EQ(text::escapedControls(r.in), r.escaped) << r.in;
        EXPECT_EQ(text::withReplacementCharacters(r.in), r.repaired) << r.in;
        EXPECT_EQ(text::hasBidiControls(r.in), r.reorders) << r.in;
    }
}
