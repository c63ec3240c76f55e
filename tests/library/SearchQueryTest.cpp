#include "library/SearchQuery.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchQuery, EveryStateOfTypingBecomesAQueryWithoutOperators) {
    struct Row {
        std::string_view text;
        bool typing;
        const char* expression;
    } rows[] = {
        {"", true, ""},
        {" \t\n", true, ""},
        {"LM31", false, "\"LM31\""},
        {"LM31", true, "\"LM31\" *"},                      // a word being typed
        {"LM31 ", true, "\"LM31\""},                       // a trailing blank ends it
        {"LM31\t", true, "\"LM31\""},
        {"LM31\n", true, "\"LM31\""},
        {"LM317 vol", true, "\"LM317\" \"vol\" *"},
        {"LM317 vol", false, "\"LM317\" \"vol\""},
        {"  LM317   vol  ", false, "\"LM317\" \"vol\""},
        {"lm31*", false, "\"lm31\" *"},                    // starred
        {"lm31***", false, "\"lm31\" *"},
        {"lm31* ", true, "\"lm31\" *"},
        {"lm31* x", false, "\"lm31\" * \"x\""},
        {"\"dropout volt", true, "\"dropout volt\" *"},    // an unterminated phrase is still being typed
        {"\"dropout volt", false, "\"dropout volt\""},
        {"\"dropout voltage\"", true, "\"dropout voltage\""},
        {"\"dropout voltage\" ", true, "\"dropout voltage\""},
        {"\"dropout voltage\"*", false, "\"dropout voltage\" *"},  // a starred phrase
        {"\"dropout voltage\"**", true, "\"dropout voltage\" *"},
        {"\"lm*\"", false, "\"lm*\""},                     // a star inside quotes is text
        {"say\"hi\"", false, "\"say\" \"hi\""},            // a word ends at a quote
        {"say*\"hi\"", false, "\"say\" * \"hi\""},
        {"a \"b", true, "\"a\" \"b\" *"},
        {"LM317-T", false, "\"LM317-T\""},
        {"regulator OR timer", false, "\"regulator\" \"OR\" \"timer\""},
        {"NEAR(a", false, "\"NEAR(a\""},
        {"\xC2\xB5" "A", false, "\"\xC2\xB5" "A\""},
        // Punctuation alone is no term, and ends the typing of the word before it.
        {"- ** \"\"", true, ""},
        {"LM317 -", true, "\"LM317\""},
        {"LM317 \"", true, "\"LM317\""},
        {"LM317 \"-", true, "\"LM317\""},
        {"@ [ ` { / :", false, ""},
        {"0 9 a z A Z", false, "\"0\" \"9\" \"a\" \"z\" \"A\" \"Z\""},
        // Text cut from a longer one is read to its own end only.
        {std::string_view("\"ab\"*", 4), false, "\"ab\""},
        {std::string_view("ab*", 2), true, "\"ab\" *"},
        {std::string_view("ab c", 3), true, "\"ab\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SearchQuery::toMatchExpression(row.text, row.typing), row.expression)
            << "'" << row.text << "' " << row.typing;
    EXPECT_EQ(SearchQuery::terms("\"dropout volt\" LM31* x - \"\" \"a*\"*"),
              (std::vector<std::string>{"dropout volt", "LM31", "x", "a*"}));
}

}  // namespace
