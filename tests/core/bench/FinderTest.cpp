// The finders against searches written plainly here, over every pair (or triple) of series values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/bench/CombinationFinder.h"
#include "core/bench/DividerFinder.h"
#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"

namespace {

double par(double a, double b) { return a * b / (a + b); }

// What the values of a combination make in the arrangement it names.
double made(const CombinationFinder::Combination& c) {
    const auto& v = c.values;
    if (c.arrangement == "R1") return v.at(0);
    if (c.arrangement == "R1 + R2") return v.at(0) + v.at(1);
    if (c.arrangement == "R1 || R2") return par(v.at(0), v.at(1));
    if (c.arrangement == "R1 + R2 + R3") return v.at(0) + v.at(1) + v.at(2);
    if (c.arrangement == "R1 || R2 || R3") return par(par(v.at(0), v.at(1)), v.at(2));
    if (c.arrangement == "(R1 + R2) || R3") return par(v.at(0) + v.at(1), v.at(2));
    if (c.arrangement == "(R1 || R2) + R3") return par(v.at(0), v.at(1)) + v.at(2);
    ADD_FAILURE() << "unknown arrangement " << c.arrangement;
    return 0;
}

TEST(Finders, CombinationsMatchABruteForceOverManyTargetsPerSeries) {
    for (const char* name : {"E3", "E6", "E12", "E24"}) {
        const ESeries& s = *ESeries::named(name);
        for (double t : {0.13, 0.95, 5.14, 17.0, 99.0, 333.0, 1234.0, 3.3e3, 8.66e3, 47e3, 2.2e5, 1e6 + 1}) {
            auto found = CombinationFinder::find(t, s, nullptr);
            ASSERT_TRUE(found) << name << " " << t;
            const auto pool = s.valuesBetween(std::max(0.1, t / 1000), t * 1000);
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
            const struct {
                const CombinationFinder::Combination& found;
                double best;
                size_t values;
            } alternatives[] = {{found->single, single, 1}, {found->series, series, 2},
                                {found->parallel, parallel, 2}, {found->three, three, 3}};
            for (const auto& [c, best, values] : alternatives) {
                EXPECT_NEAR(std::fabs(c.result - t), best, 1e-9 * t) << name << " " << t << " " << c.arrangement;
                EXPECT_NEAR(made(c), c.result, 1e-12 * t) << name << " " << t << " " << c.arrangement;
                EXPECT_NEAR(c.errorPercent, (c.result - t) / t * 100, 1e-9) << name << " " << t;
                EXPECT_EQ(c.values.size(), values) << name << " " << t << " " << c.arrangement;
                for (double v : c.values) EXPECT_TRUE(s.contains(v)) << name << " " << v;
            }
        }
    }
    std::string error;
    for (double t : {0.1, 0.05, 0.0, -5.0, double(INFINITY), double(NAN)}) {
        EXPECT_FALSE(CombinationFinder::find(t, *ESeries::named("E12"), &error)) << t;
        EXPECT_EQ(error, "the target must be above 100 mΩ") << t;
    }
}

TEST(Finders, RegulatorMatchesABruteForceOverManyTargetsPerSeries) {
    struct Part {
        double r1, vref, iadj;
    } parts[] = {{240, 1.25, 50e-6}, {120, 1.25, 0}, {1e3, 0.6, 1e-6}};
    for (const ESeries* s : ESeries::all()) {
        const auto all = s->valuesBetween(0.1, 1e8);
        for (const auto& p : parts)
            for (double vout = p.vref * 1.0001; vout < 40; vout = vout * 1.37 + 0.01) {
                auto r = RegulatorFinder::find({vout, p.r1, p.vref, p.iadj, s}, nullptr);
                ASSERT_TRUE(r) << s->name() << " " << vout;
                auto out = [&](double r2) { return p.vref * (1 + r2 / p.r1) + p.iadj * r2; };
                double best = 1e300;
                for (double r2 : all) best = std::min(best, std::fabs(out(r2) - vout));
                EXPECT_NEAR(std::fabs(r->vout - vout), best, 1e-9) << s->name() << " " << vout;
                EXPECT_NEAR(out(r->r2Exact), vout, 1e-9 * vout) << s->name() << " " << vout;
                EXPECT_NEAR(r->vout, out(r->r2), 1e-12 * vout);
                EXPECT_NEAR(r->errorPercent, (r->vout - vout) / vout * 100, 1e-9);
                EXPECT_TRUE(s->contains(r->r2)) << r->r2;
            }
    }
    const ESeries* e24 = ESeries::named("E24");
    struct Refusal {
        RegulatorFinder::Query query;
        const char* error;
    } refusals[] = {
        {{5, 0, 1.25, 50e-6, e24}, "R1 must be above 0 Ω"},
        {{5, -240, 1.25, 50e-6, e24}, "R1 must be above 0 Ω"},
        {{5, INFINITY, 1.25, 50e-6, e24}, "R1 must be above 0 Ω"},
        {{5, 240, 0, 50e-6, e24}, "Vref must be above 0 V"},
        {{5, 240, INFINITY, 50e-6, e24}, "Vref must be above 0 V"},
        {{5, 240, 1.25, -1e-9, e24}, "Iadj cannot be negative"},
        {{5, 240, 1.25, INFINITY, e24}, "Iadj cannot be negative"},
        {{1.0, 240, 1.25, 50e-6, e24}, "Vout must be above Vref (1.25 V)"},
        {{1.25, 240, 1.25, 50e-6, e24}, "Vout must be above Vref (1.25 V)"},
        {{INFINITY, 240, 1.25, 50e-6, e24}, "Vout must be above Vref (1.25 V)"},
        {{NAN, 240, 1.25, 50e-6, e24}, "Vout must be above Vref (1.25 V)"},
    };
    for (const auto& r : refusals) {
        std::string error;
        EXPECT_FALSE(RegulatorFinder::find(r.query, &error)) << r.error;
        EXPECT_EQ(error, r.error);
    }
}

// The best divider and the alternatives: the next-best distinct ratios over every pair in the range, as a plain
// search over all pairs ranks them (pairs of one ratio and error count once).
TEST(Finders, DividerAlternativesAreTheNextBestRatios) {
    struct DividerCase {
        const char* series;
        double vin, vout;
        std::optional<double> load;
        double minTotal, maxTotal;
    } dividers[] = {{"E24", 12, 3.3, std::nullopt, 1e3, 1e6}, {"E24", 5, 1.8, 10e3, 1e3, 1e6},
                    {"E24", 24, 5, std::nullopt, 2e4, 3e4},   {"E24", 3.3, 3.29, 1e6, 1e3, 1e5},
                    {"E24", 5, 2.5, std::nullopt, 1e3, 1e6},  {"E3", 1.8, 0.9, std::nullopt, 1e3, 1e6},
                    {"E12", 9, 1, std::nullopt, 10, 1e3},     {"E96", 15, 7.3, 4.7e3, 5e3, 2e5}};
    for (const auto& c : dividers) {
        const ESeries& series = *ESeries::named(c.series);
        auto found = DividerFinder::find({c.vin, c.vout, &series, c.load, c.minTotal, c.maxTotal}, nullptr);
        ASSERT_TRUE(found && !found->empty()) << c.series << " " << c.vout;
        struct Pair {
            double error, ratio;
        };
        std::vector<Pair> pairs;
        const auto all = series.valuesBetween(0.1, c.maxTotal);
        for (double r1 : all)
            for (double r2 : all) {
                if (r1 + r2 < c.minTotal * (1 - 1e-12) || r1 + r2 > c.maxTotal * (1 + 1e-12)) continue;
                const double bottom = c.load ? par(r2, *c.load) : r2;
                pairs.push_back({std::fabs(c.vin * bottom / (r1 + bottom) - c.vout) / c.vout * 100, r1 / r2});
            }
        std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.error < b.error; });
        std::vector<Pair> best;
        for (const Pair& p : pairs) {
            bool seen = false;
            for (const Pair& b : best) seen |= std::fabs(b.error - p.error) < 1e-9 && std::fabs(b.ratio / p.ratio - 1) < 1e-9;
            if (!seen) best.push_back(p);
            if (best.size() == 5) break;
        }
        ASSERT_EQ(found->size(), best.size()) << c.series << " " << c.vout;
        for (size_t i = 0; i < best.size(); ++i) {
            const auto& d = (*found)[i];
            EXPECT_NEAR(std::fabs(d.errorPercent), best[i].error, 1e-9) << c.series << " " << c.vout << " #" << i;
            const double bottom = c.load ? par(d.r2, *c.load) : d.r2;
            EXPECT_NEAR(d.vout, c.vin * bottom / (d.r1 + bottom), 1e-12);
            EXPECT_NEAR(d.errorPercent, (d.vout - c.vout) / c.vout * 100, 1e-9);
            EXPECT_TRUE(series.contains(d.r1) && series.contains(d.r2));
            EXPECT_GE(d.r1 + d.r2, c.minTotal * (1 - 1e-12));
            EXPECT_LE(d.r1 + d.r2, c.maxTotal * (1 + 1e-12));
        }
    }
    // Ratios met exactly by several pairs are offered once, as the pair whose total is nearest 10 kΩ.
    auto half = DividerFinder::find({5, 2.5, ESeries::named("E24"), std::nullopt, 1e3, 1e6}, nullptr);
    ASSERT_TRUE(half);
    EXPECT_EQ((*half)[0].r1, 5100);
    EXPECT_EQ((*half)[0].r2, 5100);

    std::string error;
    const ESeries& e24 = *ESeries::named("E24");
    EXPECT_FALSE(DividerFinder::find({5, 2.5, &e24, std::nullopt, 0.1, 0.15}, &error));
    EXPECT_EQ(error, "no two E24 values add up to between 100 mΩ and 150 mΩ");
    EXPECT_FALSE(DividerFinder::find({5, 6, &e24, std::nullopt, 1e3, 1e6}, &error));
    EXPECT_EQ(error, "Vout must lie between 0 V and Vin (5 V)");
}

}  // namespace
