#include "core/bench/ESeries.h"

#include <gtest/gtest.h>

namespace {

TEST(ESeries, NeighboursBelowAboveAndNearest) {
    struct Case {
        const char* series;
        double value;
        double below;  // 0: none
        double above, nearest;
        double floor = 0.1;
    } cases[] = {
        {"E24", 4700, 4700, 4700, 4700},   {"E24", 5.14, 5.1, 5.6, 5.1},      {"E96", 5.14, 5.11, 5.23, 5.11},
        {"E24", 2.8, 2.7, 3.0, 2.7},       {"E192", 9.2, 9.2, 9.2, 9.2},       {"E192", 9.19, 9.09, 9.2, 9.2},
        {"E3", 999, 470, 1000, 1000},      {"E12", 0.05, 0, 0.1, 0.1},        {"E12", 0.0047, 0, 0.1, 0.1},         {"e6", 4.7e-9, 4.7e-9, 4.7e-9, 4.7e-9, 1e-13},
        {"24", 9.5e5, 9.1e5, 1e6, 9.1e5},  {"E48", 1000.001, 1000, 1050, 1000},
        // Exactly halfway the lower neighbour is nearest; a hair above it the upper one.
        {"E24", 105, 100, 110, 100},       {"E24", 105.000001, 100, 110, 110}, {"E24", 955, 910, 1000, 910},
        {"E24", 955.000001, 910, 1000, 1000}, {"E192", 994, 988, 1000, 988},  {"E3", 735, 470, 1000, 470},
        {"E6", 1.25, 1.0, 1.5, 1.0},
        // Decade edges, and values a rounding away from one.
        {"E24", 1000, 1000, 1000, 1000},   {"E24", 999.9999999999, 1000, 1000, 1000}, {"E24", 99.99, 91, 100, 100},
        {"E24", 1000.0000000001, 1000, 1000, 1000}, {"E12", 0.09999999999999, 0.1, 0.1, 0.1},
        {"E12", 0.1, 0.1, 0.1, 0.1},       {"E96", 1e6, 1e6, 1e6, 1e6},       {"E96", 1.0001e6, 1e6, 1.02e6, 1e6},
        {"E192", 98.81, 98.8, 100, 98.8}, {"E6", 6.8e-10, 6.8e-10, 6.8e-10, 6.8e-10, 1e-13},
    };
    for (const auto& c : cases) {
        const ESeries* s = ESeries::named(c.series);
        ASSERT_TRUE(s) << c.series;
        const auto n = s->around(c.value, c.floor);
        EXPECT_EQ(n.below.has_value(), c.below != 0) << c.series << " " << c.value;
        if (n.below && c.below != 0) {
            EXPECT_TRUE(sameValue(*n.below, c.below)) << c.value << " below " << *n.below;
        }
        EXPECT_TRUE(sameValue(n.above, c.above)) << c.value << " above " << n.above;
        EXPECT_TRUE(sameValue(n.nearest, c.nearest)) << c.value << " nearest " << n.nearest;
        EXPECT_NEAR(n.errorPercent, (c.nearest - c.value) / c.value * 100, 1e-9);
    }
    EXPECT_EQ(ESeries::named("E7"), nullptr);
    // The sizes, and E24's historical values that no formula gives.
    const size_t sizes[] = {3, 6, 12, 24, 48, 96, 192};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(ESeries::all()[i]->mantissas().size(), sizes[i]);
    for (double v : {2.7, 3.0, 3.3, 3.6, 3.9, 4.3, 4.7, 8.2}) EXPECT_TRUE(ESeries::named("E24")->contains(v)) << v;
}

}  // namespace
