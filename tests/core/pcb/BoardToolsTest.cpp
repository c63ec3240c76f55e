#include <gtest/gtest.h>

#include "core/pcb/CableSize.h"
#include "core/pcb/Fusing.h"
#include "core/pcb/GalvanicSeries.h"
#include "core/pcb/Wavelength.h"

namespace {

// Onderdonk's equation worked apart from this code, both ways.
TEST(Fusing, CurrentForATimeAndTimeForACurrent) {
    struct Case {
        double area, ambient;
        std::optional<double> time, current;
        double expected;  // the other one; < 0: refused
        const char* error;
    } cases[] = {
        {0.254e-3 * 1.37 * 25.4e-6, 25, 1.0, {}, 2.551902151578032, ""},  // 10 mil of 1 oz copper for 1 s
        {1e-6, 40, 0.1, {}, 897.0681310921583, ""},
        {1e-6, 25, {}, 100.0, 8.335891157174359, ""},
        {1e-6, 25, 1.0, 100.0, -1, "give the time or the current, not both"},
        {0, 25, 1.0, {}, -1, "area must be above 0"},
        {1e-6, 25, {}, 0.0, -1, "current must be above 0"},
        {1e-6, 1083, 1.0, {}, -1, "ambient must lie between -234 °C and copper's melting point, 1083 °C"},
    };
    for (const auto& c : cases) {
        std::string error;
        auto r = Fusing::compute({c.area, c.ambient, c.time, c.current}, &error);
        if (c.expected < 0) {
            EXPECT_FALSE(r);
            EXPECT_EQ(error, c.error);
            continue;
        }
        ASSERT_TRUE(r) << error;
        EXPECT_NEAR(c.time ? r->current : r->time, c.expected, c.expected * 1e-12);
        auto back = Fusing::compute({c.area, c.ambient, c.time ? std::nullopt : std::optional(r->time),
                                     c.time ? std::optional(r->current) : std::nullopt},
                                    nullptr);
        EXPECT_NEAR(c.time ? back->time : back->current, c.time ? *c.time : *c.current, 1e-9);
    }
}

// AWG sizes from 0.127 mm × 92^((36 − n)/39) and the loop of two conductors, worked apart from this code.
TEST(CableSize, GaugesLoopDropAndTheSmallestSizesForADrop) {
    struct Gauge {
        const char* text;
        std::optional<int> gauge;
    } gauges[] = {{"14", 14}, {"0", 0}, {"00", -1}, {"0000", -3}, {"4/0", -3}, {"1/0", 0}, {"40", 40},
                  {"41", {}}, {"00000", {}}, {"07", {}}, {"5/0", {}}, {"x", {}}, {"", {}}};
    for (const auto& g : gauges) EXPECT_EQ(CableSize::awgNamed(g.text), g.gauge) << g.text;
    EXPECT_EQ(CableSize::awgName(-3), "4/0");
    EXPECT_NEAR(CableSize::awgArea(14), 2.080907717098377e-06, 1e-18);
    EXPECT_NEAR(CableSize::awgArea(-3), 0.00010721930257703052, 1e-16);

    CableSize::Query q{CableSize::awgArea(14), 10, 5};
    q.maxDrop = 0.5;
    auto r = CableSize::compute(q, nullptr);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->resistance, 0.16570653141736522, 1e-12);
    EXPECT_NEAR(r->drop, 0.8285326570868261, 1e-12);
    EXPECT_NEAR(r->loss, 4.14266328543413, 1e-11);
    EXPECT_NEAR(r->currentDensity, 2402797.567098272, 1e-6);
    EXPECT_EQ(r->nearestAwg, 14);
    EXPECT_DOUBLE_EQ(r->nearestMetric, 2.5e-6);
    EXPECT_EQ(r->smallestAwg, 11);                // the loop must stay within 0.1 Ω: 3.45 mm²
    EXPECT_DOUBLE_EQ(r->smallestMetric.value_or(0), 4e-6);

    CableSize::Query al{2.5e-6, 10, 0, &conductor::kAluminium, 50};
    EXPECT_NEAR(CableSize::compute(al, nullptr)->resistance, 0.25344894079999997, 1e-12);
    std::string error;
    EXPECT_FALSE(CableSize::compute({0, 10, 5}, &error));
    EXPECT_EQ(error, "area must be above 0");
}

TEST(Wavelength, FrequencyAndVelocityFactor) {
    auto r = Wavelength::compute(433e6, 0.66, nullptr);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->wavelength, 0.45695848101616626, 1e-15);
    EXPECT_NEAR(r->quarter, 0.45695848101616626 / 4, 1e-15);
    EXPECT_NEAR(r->half, 0.45695848101616626 / 2, 1e-15);
    EXPECT_NEAR(r->period, 1 / 433e6, 1e-24);
    struct Refused {
        double f, vf;
        const char* error;
    } refused[] = {{0, 1, "frequency must be above 0"},
                   {1e6, 0, "velocity factor must be above 0"},
                   {1e6, 1.01, "velocity factor cannot be above 1"}};
    for (const auto& c : refused) {
        std::string error;
        EXPECT_FALSE(Wavelength::compute(c.f, c.vf, &error));
        EXPECT_EQ(error, c.error);
    }
}

// The anodic index table's pairs at and around each environment's limit.
TEST(GalvanicSeries, PairsAgainstEachEnvironmentsLimit) {
    struct Case {
        const char* a;
        const char* b;
        const char* anode;
        double difference;
        bool harsh, normal, controlled;
    } cases[] = {
        {"gold", "silver", "silver", 0.15, true, true, true},
        {"Copper", "tin", "tin", 0.30, false, false, true},
        {"stainless-steel", "tin", "tin", 0.15, true, true, true},
        {"aluminum", "copper", "aluminium", 0.55, false, false, false},
        {"nickel", "brass", "brass", 0.10, true, true, true},
        {"zinc", "steel", "zinc", 0.40, false, false, true},
        {"copper", "copper", "copper", 0, true, true, true},
    };
    for (const auto& c : cases) {
        auto p = GalvanicSeries::pair(c.a, c.b, nullptr);
        ASSERT_TRUE(p) << c.a;
        EXPECT_STREQ(p->anode->name, c.anode) << c.a << " " << c.b;
        EXPECT_DOUBLE_EQ(p->difference, c.difference) << c.a << " " << c.b;
        EXPECT_EQ(p->harsh, c.harsh) << c.a << " " << c.b;
        EXPECT_EQ(p->normal, c.normal) << c.a << " " << c.b;
        EXPECT_EQ(p->controlled, c.controlled) << c.a << " " << c.b;
    }
    std::string error;
    EXPECT_FALSE(GalvanicSeries::pair("copper", "unobtainium", &error));
    EXPECT_EQ(error, "'unobtainium' is not in the galvanic table");
}

}  // namespace
