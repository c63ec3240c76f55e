#include "platform/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(Format, ConversionsAsTheScreensUseThem) {
    EXPECT_EQ(format("Resistance: %@ %@ +-%d%%", "4.7", std::string("KOhm"), 5), "Resistance: 4.7 KOhm +-5%");
    EXPECT_EQ(format("%.2f", 2.675), "2.67");  // printf rounding of the double as stored
    EXPECT_EQ(format("%.1f", 0.05f), "0.1");
    EXPECT_EQ(format("%.3d|%.2d|%3d|%-3d|", 7, 5, 4, 4), "007|05|  4|4  |");
    EXPECT_EQ(format("%qu", std::uint64_t{18446744073709551615ULL}), "18446744073709551615");
    EXPECT_EQ(format("%lld", -9000000000LL), "-9000000000");
    EXPECT_EQ(format("%d", 4294967297LL), "1");  // a 32-bit argument, as C passes it
    EXPECT_EQ(format("%.3f", 0.1f * 3), "0.300");
    EXPECT_EQ(format("%s and %@", "a", "b"), "a and b");
    EXPECT_EQ(format("100%%"), "100%");
}

TEST(Format, TextsAreInsertedUnchangedAndOddFormatsDoNotCrash) {
    EXPECT_EQ(format("[%@]", "%d %s %n"), "[%d %s %n]");
    EXPECT_EQ(format("%@", std::string(5000, 'x')).size(), 5000u);
    EXPECT_EQ(format("%d %d", 1), "1 ");     // a missing argument formats as empty
    EXPECT_EQ(format("%", 1), "%");           // a lone percent at the end stays
    EXPECT_EQ(format("%y", 1), "%y");         // an unknown conversion stays as written
    EXPECT_EQ(format("%d", "text"), "text");  // a text where a number was expected is still shown
}

}  // namespace
