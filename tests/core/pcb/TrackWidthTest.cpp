#include "core/pcb/TrackWidth.h"

#include <gtest/gtest.h>

namespace {

constexpr double kOunce = 1.37 * 25.4e-6;

// IPC-2221's chart read as its formula; the widths were computed apart from this code. The chart's own worked
// figure is about 12 mil for 1 A at 10 °C on 1 oz outer copper.
TEST(TrackWidth, BothWaysOnOuterAndInnerLayersAndRefusedInput) {
    struct Case {
        std::optional<double> current, width;
        double rise, thickness;
        bool internal;
        double expected;  // the width for a current, the current for a width; < 0: refused
        const char* error;
    } cases[] = {
        {1, {}, 10, kOunce, false, 0.00030213024395556274, ""},
        {2, {}, 10, kOunce, false, 0.0007859736537100403, ""},
        {2, {}, 20, kOunce, true, 0.001342541469051531, ""},
        {10, {}, 30, kOunce, false, 0.003714850168030418, ""},
        {{}, 0.5e-3, 10, 35e-6, false, 1.4468880626650509, ""},
        {{}, 1e-3, 20, 35e-6, true, 1.6222018145644426, ""},
        {{}, {}, 10, 35e-6, false, -1, "give the current or the width, not both"},
        {1, 1e-3, 10, 35e-6, false, -1, "give the current or the width, not both"},
        {0, {}, 10, 35e-6, false, -1, "current must be above 0"},
        {{}, -1e-3, 10, 35e-6, false, -1, "width must be above 0"},
        {1, {}, 0, 35e-6, false, -1, "rise must be above 0"},
        {1, {}, 10, 0, false, -1, "thickness must be above 0"},
    };
    for (const auto& c : cases) {
        TrackWidth::Query q;
        q.current = c.current;
        q.width = c.width;
        q.rise = c.rise;
        q.thickness = c.thickness;
        q.internal = c.internal;
        std::string error;
        auto r = TrackWidth::compute(q, &error);
        if (c.expected < 0) {
            EXPECT_FALSE(r);
            EXPECT_EQ(error, c.error);
            continue;
        }
        ASSERT_TRUE(r) << error;
        EXPECT_NEAR(c.current ? r->width : r->current, c.expected, c.expected * 1e-9);
        // and back: the width found carries the current asked
        TrackWidth::Query back = q;
        back.current.reset();
        back.width = r->width;
        EXPECT_NEAR(TrackWidth::compute(back, nullptr)->current, r->current, r->current * 1e-9);
    }
}

TEST(TrackWidth, ResistanceDropAndLossAtAmbientPlusRise) {
    TrackWidth::Query q;
    q.current = 2;
    q.thickness = kOunce;
    q.length = 0.05;
    auto r = TrackWidth::compute(q, nullptr);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->resistance, 0.03337687241525265, 1e-12);  // 1.7241e-8 Ω·m × (1 + 0.00393 × 15) at 35 °C
    EXPECT_NEAR(r->drop, 0.0667537448305053, 1e-12);
    EXPECT_NEAR(r->loss, 0.1335074896610106, 1e-12);
    q.length = -1;
    std::string error;
    EXPECT_FALSE(TrackWidth::compute(q, &error));
    EXPECT_EQ(error, "length cannot be negative");
}

}  // namespace
