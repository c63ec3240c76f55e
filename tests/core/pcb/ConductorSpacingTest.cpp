#include "core/pcb/ConductorSpacing.h"

#include <gtest/gtest.h>

namespace {

// Rows of the table at and past their bounds, and the rule above 500 V with the standard's own example (600 V
// in B1: 0.25 mm + 100 V × 0.0025 mm = 0.5 mm).
TEST(ConductorSpacing, TableRowsBoundsAndThePerVoltRule) {
    struct Case {
        double volts;
        const char* cls;
        double mm;  // < 0: refused
    } cases[] = {
        {0, "B1", 0.05},    {15, "B2", 0.1},    {15.5, "A6", 0.25}, {30, "A6", 0.25},  {31, "B2", 0.6},
        {100, "B3", 1.5},   {150, "B2", 0.6},   {170, "b2", 1.25},  {230, "B2", 1.25}, {300, "A7", 0.8},
        {301, "A6", 1.5},   {500, "B3", 12.5},  {600, "B1", 0.5},   {1000, "B2", 5.0}, {1000, "A5", 2.325},
        {-1, "B1", -1},
    };
    for (const auto& c : cases) {
        const auto index = ConductorSpacing::classNamed(c.cls);
        ASSERT_TRUE(index) << c.cls;
        std::string error;
        const auto s = ConductorSpacing::spacing(c.volts, *index, &error);
        if (c.mm < 0) {
            EXPECT_FALSE(s);
            EXPECT_EQ(error, "voltage cannot be negative");
            continue;
        }
        ASSERT_TRUE(s) << c.volts;
        EXPECT_NEAR(*s, c.mm * 1e-3, 1e-12) << c.volts << " V " << c.cls;
    }
    EXPECT_FALSE(ConductorSpacing::classNamed("B5"));
    EXPECT_FALSE(ConductorSpacing::classNamed("A1"));
    EXPECT_FALSE(ConductorSpacing::classNamed("B"));
}

}  // namespace
