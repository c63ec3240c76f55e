#include "web/WebToken.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace {

TEST(WebToken, OnlyTheWholeKeyInItsCaseOpens) {
    const std::string key = "0123456789abcdef0123456789abcdef";
    const WebToken token(key);
    EXPECT_TRUE(token.matches(key));
    for (size_t i = 0; i < key.size(); ++i) {
        std::string wrong = key;
        wrong[i] = wrong[i] == 'f' ? 'e' : 'f';
        EXPECT_FALSE(token.matches(wrong)) << "wrong at " << i;
    }
    struct Row {
        std::string candidate;
        const char* what;
    } rows[] = {
        {key.substr(0, 31), "prefix"},
        {key + "0", "longer"},
        {key + std::string(1, '\0'), "a NUL after it"},
        {"0123456789ABCDEF0123456789ABCDEF", "upper case"},
        {"", "empty"},
        {key.substr(1) + "0", "shifted"},
    };
    for (const auto& row : rows) EXPECT_FALSE(token.matches(row.candidate)) << row.what;
    // A token that was never set opens nothing, not even an empty key.
    EXPECT_FALSE(WebToken("").matches(""));
    EXPECT_EQ(token.cookie(), "velkaro_k=" + key + "; Path=/; HttpOnly; SameSite=Strict");
}

TEST(WebToken, FreshTokensAre32LowerHexDigitsOfAllValues) {
    std::set<std::string> seen;
    std::set<char> even, odd;  // digits seen in the high and low halves of the bytes
    for (int n = 0; n < 8; ++n) {
        errno = EINTR;  // left over from an earlier call: only a failed read is tried again
        const WebToken token;
        ASSERT_EQ(token.text().size(), 32u);
        for (size_t i = 0; i < 32; ++i) {
            const char c = token.text()[i];
            ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << token.text();
            (i % 2 ? odd : even).insert(c);
        }
        EXPECT_TRUE(token.matches(token.text()));
        seen.insert(token.text());
    }
    EXPECT_EQ(seen.size(), 8u);
    // 128 digits in each half: all sixteen show up but for a chance far below one in a million.
    EXPECT_GE(even.size(), 12u);
    EXPECT_GE(odd.size(), 12u);
}

}  // namespace
