#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {

TEST(Numbers, IntegersSkipWhiteSpaceTakeASignAndStopAtTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        long long expected;
    } cases[] = {
        {"", 0},        {"47", 47},      {" 47", 47},     {"\t\n 47", 47}, {"+47", 47},   {"-5", -5},
        {"4.7", 4},     {"12abc", 12},   {"abc12", 0},    {"- 5", 0},      {"--5", 0},    {"+-5", 0},
        {"0047", 47},   {"1e3", 1},      {" -0", 0},      {"٣", 0},        {"5 6", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(longLongValue(c.text), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(intValue(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(Numbers, IntegersSaturateAtTheirLimits) {
    EXPECT_EQ(longLongValue("9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(longLongValue("9223372036854775808"), std::numeric_limits<long long>::max());
    EXPECT_EQ(longLongValue("99999999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(longLongValue("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(longLongValue("-9223372036854775809"), std::numeric_limits<long long>::min());
    EXPECT_EQ(intValue("2147483647"), 2147483647);
    EXPECT_EQ(intValue("2147483648"), 2147483647);
    EXPECT_EQ(intValue("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(intValue("-99999999999"), -2147483647 - 1);
}

TEST(Numbers, FloatsTakeAPointAndAnExponent) {
    struct Case {
        const char* text;
        float expected;
    } cases[] = {
        {"4.7", 4.7f},  {" 4.7V", 4.7f}, {".5", 0.5f},   {"5.", 5.0f},    {"-2.5", -2.5f}, {"+3", 3.0f},
        {"1e3", 1000.0f}, {"1.5E-2", 0.015f}, {"2e", 2.0f}, {"2e+", 2.0f}, {"3,5", 3.0f}, {"abc", 0.0f},
        {".", 0.0f},    {"-.", 0.0f},    {"0x10", 0.0f}, {"inf", 0.0f},   {"nan", 0.0f},  {"", 0.0f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(floatValue(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Numbers, FloatsOverflowToInfinityAndUnderflowToZero) {
    EXPECT_TRUE(std::isinf(floatValue("1e50")));
    EXPECT_GT(floatValue("1e50"), 0);
    EXPECT_TRUE(std::isinf(floatValue("-1e50")));
    EXPECT_LT(floatValue("-1e50"), 0);
    EXPECT_EQ(floatValue("1e-60"), 0.0f);
}

TEST(Numbers, ThePointIsTheSeparatorWhateverTheLocale) {
    // A GUI sets the user's locale; a comma-decimal locale must not change how fields are read.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
    EXPECT_FLOAT_EQ(floatValue("2.5"), 2.5f);
    EXPECT_FLOAT_EQ(floatValue("2,5"), 2.0f);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
