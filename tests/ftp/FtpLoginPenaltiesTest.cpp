#include "ftp/FtpLoginPenalties.h"

#include <gtest/gtest.h>

#include <string>

TEST(FtpLoginPenalties, GrowWithFailuresAndForgetTheOldestAddressFirst) {
    using namespace std::chrono_literals;
    const auto t0 = FtpLoginPenalties::Clock::now();
    FtpLoginPenalties penalties(4);
    EXPECT_EQ(penalties.waitFor("10.0.0.9", t0), 0);
    for (int i = 1; i <= 12; ++i) penalties.failed("10.0.0.9", t0);
    EXPECT_DOUBLE_EQ(penalties.waitFor("10.0.0.9", t0), FtpLoginPenalties::kMax);  // capped
    EXPECT_NEAR(penalties.waitFor("10.0.0.9", t0 + 3s), FtpLoginPenalties::kMax - 3, 1e-6);
    // A flood of failures from other addresses pushes out the ones that failed longest ago, never the guesser
    // that keeps failing.
    for (int i = 0; i < 100; ++i) {
        penalties.failed("10.1.0." + std::to_string(i), t0);
        if (i % 2) penalties.failed("10.0.0.9", t0);
    }
    EXPECT_EQ(penalties.size(), 4u);
    EXPECT_DOUBLE_EQ(penalties.waitFor("10.0.0.9", t0), FtpLoginPenalties::kMax);
    EXPECT_EQ(penalties.waitFor("10.1.0.0", t0), 0);
    penalties.succeeded("10.0.0.9");
    EXPECT_EQ(penalties.waitFor("10.0.0.9", t0), 0);
    EXPECT_DOUBLE_EQ(penalties.failed("10.0.0.9", t0), FtpLoginPenalties::kStep);  // starts again
}
