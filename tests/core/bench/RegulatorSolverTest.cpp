#include "core/bench/RegulatorSolver.h"

#include <gtest/gtest.h>

#include "core/bench/ESeries.h"

namespace {

// Expected values worked by hand from Vout = Vref (1 + R2/R1) + Iadj R2.
TEST(RegulatorSolver, R1ForAnOutputTheOutputOfTwoResistorsAndItsSpread) {
    const ESeries& e24 = *ESeries::named("E24");
    struct Case {
        RegulatorSolver::Circuit circuit;
        double vout, r2;
        double r1Exact, r1;  // r1Exact < 0: refused with `error`
        const char* error;
    } cases[] = {
        {{1.25, 50e-6}, 5, 720, 242.32633279483036, 240, ""},
        {{0.8, 0}, 3.3, 10e3, 3200, 3300, ""},                                   // the standard type
        {{1.25, 50e-6}, 1.28, 720, -1, 0, "Vout must be above Vref + Iadj × R2 (1.286 V)"},
        {{1.25, 50e-6}, 5, 0, -1, 0, "R2 must be above 0 Ω"},
        {{0, 0}, 5, 720, -1, 0, "Vref must be above 0 V"},
        {{1.25, -1e-6}, 5, 720, -1, 0, "Iadj cannot be negative"},
    };
    for (const auto& c : cases) {
        std::string error;
        auto r = RegulatorSolver::findR1(c.circuit, c.vout, c.r2, e24, &error);
        if (c.r1Exact < 0) {
            EXPECT_FALSE(r) << c.vout;
            EXPECT_EQ(error, c.error);
            continue;
        }
        ASSERT_TRUE(r) << error;
        EXPECT_NEAR(r->r1Exact, c.r1Exact, 1e-9);
        EXPECT_EQ(r->r1, c.r1);
        EXPECT_NEAR(RegulatorSolver::output(c.circuit, r->r1Exact, c.r2), c.vout, 1e-12) << "round trip";
        EXPECT_NEAR(r->errorPercent, (r->vout - c.vout) / c.vout * 100, 1e-12);
    }
    EXPECT_NEAR(RegulatorSolver::output({1.25, 50e-6}, 240, 720), 5.036, 1e-12);
    const auto s = RegulatorSolver::spread({1.25, 50e-6}, 240, 680, 5);
    EXPECT_NEAR(s.min, 4.48666507936508, 1e-12);  // R1 +5 %, R2 -5 %
    EXPECT_NEAR(s.max, 5.200173684210527, 1e-12);
}

}  // namespace
