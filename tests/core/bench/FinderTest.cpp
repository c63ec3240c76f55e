// The finders against searches written plainly here, over every pair (or triple) of series values.
#include <gtest/gtest.h>

#include <cmath>

#include "core/bench/CombinationFinder.h"
#include "core/bench/DividerFinder.h"
#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"

namespace {

double par(double a, double b) { return a * b / (a + b); }

TEST(Finders, MatchABruteForceSearch) {
    const ESeries& e24 = *ESeries::named("E24");
    const ESeries& e12 = *ESeries::named("E12");
    const auto all = e24.valuesBetween(0.1, 1e6);

    struct DividerCase {
        double vin, vout;
        std::optional<double> load;
        double minTotal, maxTotal;
    } dividers[] = {{12, 3.3, std::nullopt, 1e3, 1e6}, {5, 1.8, 10e3, 1e3, 1e6}, {24, 5, std::nullopt, 2e4, 3e4},
                    {3.3, 3.29, 1e6, 1e3, 1e5}};
    for (const auto& c : dividers) {
        auto found = DividerFinder::find({c.vin, c.vout, &e24, c.load, c.minTotal, c.maxTotal}, nullptr);
        ASSERT_TRUE(found && !found->empty()) << c.vout;
        double best = 1e9;
        for (double r1 : all)
            for (double r2 : all) {
                if (r1 + r2 < c.minTotal * (1 - 1e-12) || r1 + r2 > c.maxTotal * (1 + 1e-12)) continue;
                const double bottom = c.load ? par(r2, *c.load) : r2;
                best = std::min(best, std::fabs(c.vin * bottom / (r1 + bottom) - c.vout));
            }
        const auto& d = found->front();
        EXPECT_NEAR(std::fabs(d.vout - c.vout), best, 1e-12) << c.vout;
        EXPECT_NEAR(d.vout, c.vin * (c.load ? par(d.r2, *c.load) : d.r2) / (d.r1 + (c.load ? par(d.r2, *c.load) : d.r2)),
                    1e-12);
        EXPECT_LE(found->size(), 5u);
        for (size_t i = 1; i < found->size(); ++i)
            EXPECT_GE(std::fabs((*found)[i].errorPercent), std::fabs((*found)[i - 1].errorPercent) - 1e-9);
    }

    for (double t : {5.14, 1234.0, 3.3e3, 1e6 + 1, 47e3}) {
        auto found = CombinationFinder::find(t, e12, nullptr);
        ASSERT_TRUE(found);
        const auto pool = e12.valuesBetween(std::max(0.1, t / 1000), t * 1000);
        double single = 1e300, series = 1e300, parallel = 1e300, three = 1e300;
        for (double a : pool) {
            single = std::min(single, std::fabs(a - t));
            for (double b : pool) {
                series = std::min(series, std::fabs(a + b - t));
                parallel = std::min(parallel, std::fabs(par(a, b) - t));
                if (a < t / 100 || a > t * 100 || b < t / 100 || b > a) continue;
                for (double c : pool)
                    for (double r : {a + b + c, par(par(a, b), c), par(a + b, c), par(a, b) + c})
                        three = std::min(three, std::fabs(r - t));
            }
        }
        EXPECT_NEAR(std::fabs(found->single.result - t), single, 1e-9 * t) << t;
        EXPECT_NEAR(std::fabs(found->series.result - t), series, 1e-9 * t) << t;
        EXPECT_NEAR(std::fabs(found->parallel.result - t), parallel, 1e-9 * t) << t;
        EXPECT_NEAR(std::fabs(found->three.result - t), three, 1e-9 * t) << t;
        ASSERT_EQ(found->three.values.size(), 3u);
    }

    for (double vout : {3.3, 5.0, 12.0, 1.3}) {
        auto r = RegulatorFinder::find({vout, 240, 1.25, 50e-6, &e24}, nullptr);
        ASSERT_TRUE(r);
        double best = 1e9;
        for (double r2 : all) best = std::min(best, std::fabs(1.25 * (1 + r2 / 240) + 50e-6 * r2 - vout));
        EXPECT_NEAR(std::fabs(r->vout - vout), best, 1e-12) << vout;
        EXPECT_NEAR(1.25 * (1 + r->r2Exact / 240) + 50e-6 * r->r2Exact, vout, 1e-12);
    }
    std::string error;
    EXPECT_FALSE(DividerFinder::find({5, 6, &e24, std::nullopt, 1e3, 1e6}, &error));
    EXPECT_EQ(error, "Vout must lie between 0 V and Vin (5 V)");
    EXPECT_FALSE(RegulatorFinder::find({1.0, 240, 1.25, 50e-6, &e24}, &error));
    EXPECT_EQ(error, "Vout must be above Vref (1.25 V)");
}

}  // namespace
