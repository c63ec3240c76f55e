#include "ftp/FtpMemoryBudget.h"

#include <gtest/gtest.h>

TEST(FtpMemoryBudget, EachAddressHasAShareOfTheWhole) {
    FtpMemoryBudget budget(100, 30);
    struct Row {
        const char* address;
        std::uint64_t bytes;
        bool taken;
    } rows[] = {
        {"10.0.0.1", 20, true},
        {"10.0.0.1", 10, true},
        {"10.0.0.1", 1, false},                 // its share is spent
        {"::ffff:10.0.0.1", 1, false},           // the same address written as IPv6
        {"2001:db8::1", 30, true},
        {"2001:db8::2", 1, false},               // the same /64
        {"10.0.0.2", 35, true},                  // holding nothing, one piece of work is taken past the share
        {"10.0.0.3", 10, false},                 // the whole is spent
    };
    for (const Row& r : rows) EXPECT_EQ(budget.reserve(r.address, r.bytes), r.taken) << r.address << " " << r.bytes;
    EXPECT_EQ(budget.reserved(), 95u);
    budget.release("10.0.0.2", 35);
    EXPECT_TRUE(budget.reserve("10.0.0.3", 10));
    budget.release("::ffff:10.0.0.1", 100);  // more than it holds: only what it holds comes back
    EXPECT_EQ(budget.reserved(), 40u);
    EXPECT_TRUE(budget.reserve("10.0.0.1", 30));
}
