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

TEST(FtpLoginPenalties, ChecksAreBookedPerHostAndSharedAmongFreshAddressesDuringAFlood) {
    using namespace std::chrono_literals;
    const auto t0 = FtpLoginPenalties::Clock::now();
    struct Row {
        const char* address;
        const char* key;
    } keys[] = {
        {"2001:db8:1:2:aaaa::1", "2001:db8:1:2::/64"},
        {"2001:db8:1:2:ffff:1:2:3", "2001:db8:1:2::/64"},  // one host's /64, any address in it
        {"2001:db8:1:3::1", "2001:db8:1:3::/64"},
        {"::ffff:192.0.2.7", "192.0.2.7"},
        {"192.0.2.7", "192.0.2.7"},
    };
    for (const Row& r : keys) EXPECT_EQ(FtpLoginPenalties::keyOf(r.address), r.key) << r.address;

    FtpLoginPenalties penalties;
    penalties.failed("2001:db8:1:2::5", t0);
    EXPECT_DOUBLE_EQ(penalties.waitFor("2001:db8:1:2::99", t0), FtpLoginPenalties::kStep);
    // Logins sent at once from one address take turns a step apart, not all when the penalty ends.
    EXPECT_DOUBLE_EQ(penalties.bookCheck("2001:db8:1:2::6", t0), 1);
    EXPECT_DOUBLE_EQ(penalties.bookCheck("2001:db8:1:2::7", t0), 2);
    EXPECT_EQ(penalties.bookCheck("10.0.0.1", t0), 0) << "few failures: a fresh address is checked at once";

    penalties.succeeded("10.9.9.9");  // the owner's address
    for (std::size_t i = penalties.size(); i < FtpLoginPenalties::kManyAddresses; ++i)
        penalties.failed("10.1.0." + std::to_string(i), t0);
    // Now fresh addresses share one budget: one check per 1/kSharedChecksPerSecond s, refused past kLongestWait.
    const double spacing = 1 / FtpLoginPenalties::kSharedChecksPerSecond;
    EXPECT_EQ(penalties.bookCheck("10.2.0.1", t0), 0);
    EXPECT_DOUBLE_EQ(penalties.bookCheck("10.2.0.2", t0), spacing);
    EXPECT_DOUBLE_EQ(penalties.bookCheck("2001:db8:9::1", t0), 2 * spacing);
    EXPECT_EQ(penalties.bookCheck("10.9.9.9", t0), 0) << "the owner's address keeps its own";
    EXPECT_DOUBLE_EQ(penalties.bookCheck("10.9.9.9", t0), FtpLoginPenalties::kStep) << "its logins take turns";
    EXPECT_FALSE(penalties.hasFailed("10.9.9.9"));
    EXPECT_TRUE(penalties.hasFailed("2001:db8:1:2::1"));
    EXPECT_TRUE(penalties.hasLoggedIn("10.9.9.9"));
    EXPECT_FALSE(penalties.hasLoggedIn("10.2.0.1"));
    int booked = 3;
    while (penalties.bookCheck("10.3.0." + std::to_string(booked), t0) >= 0) ++booked;
    EXPECT_EQ(booked, static_cast<int>(FtpLoginPenalties::kLongestWait * FtpLoginPenalties::kSharedChecksPerSecond) + 1);
    EXPECT_EQ(penalties.bookCheck("10.3.0.1", t0 + 60s), 0) << "the budget refills with time";
}
