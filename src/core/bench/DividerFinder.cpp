#include "core/bench/DividerFinder.h"

#include <algorithm>
#include <cmath>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"
#include "platform/Format.h"

std::optional<std::vector<DividerFinder::Divider>> DividerFinder::find(const Query& q, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<std::vector<Divider>> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    if (!(q.vin > 0) || !std::isfinite(q.vin)) return fail("Vin must be above 0 V");
    if (!(q.vout > 0) || !(q.vout < q.vin)) return fail("Vout must lie between 0 V and Vin (" + engineering(q.vin, Unit::Volt) + ")");
    if (q.load && !(*q.load > 0)) return fail("the load must be above 0 Ω");
    if (!(q.minTotal > 0) || !(q.maxTotal >= q.minTotal) || !std::isfinite(q.maxTotal))
        return fail("the range for R1 + R2 must run from above 0 Ω up to a larger value");
    const ESeries& series = *q.series;
    const double floor = ESeries::smallest(Unit::Ohm);

    // The output falls as R1 grows, so for each R2 the dividers nearest the wanted output are the R1 values on
    // either side of the exact one, within the range: any pair among the five best ratios overall is one of the
    // five nearest on its side for its R2, since each R1 makes another ratio.
    constexpr size_t kOffered = 5;
    const std::vector<double> values = series.valuesBetween(floor, q.maxTotal);
    auto firstNotBelow = [&](double v) {
        return std::lower_bound(values.begin(), values.end(), v,
                                [](double a, double b) { return a < b && !sameValue(a, b); });
    };
    std::vector<Divider> candidates;
    for (double r2 : values) {
        const double bottom = q.load ? r2 * *q.load / (r2 + *q.load) : r2;
        const double exact = bottom * (q.vin - q.vout) / q.vout;
        const auto lo = firstNotBelow(q.minTotal - r2);
        const auto hi = std::upper_bound(values.begin(), values.end(), q.maxTotal - r2,
                                         [](double a, double b) { return a < b && !sameValue(a, b); });
        if (lo >= hi) continue;
        const auto split = std::clamp(firstNotBelow(exact), lo, hi);
        const auto from = split - std::min<std::ptrdiff_t>(kOffered, split - lo);
        const auto to = split + std::min<std::ptrdiff_t>(kOffered, hi - split);
        for (auto r1 = from; r1 != to; ++r1) {
            const double vout = q.vin * bottom / (*r1 + bottom);
            candidates.push_back({*r1, r2, vout, (vout - q.vout) / q.vout * 100});
        }
    }
    if (candidates.empty())
        return fail(format("no two %@ values add up to between %@ and %@", series.name(),
                           engineering(q.minTotal, Unit::Ohm), engineering(q.maxTotal, Unit::Ohm)));

    // Errors equal to a part in 10^11 count as ties, broken by the total's distance from 10 kΩ.
    auto key = [](const Divider& d) {
        return std::make_pair(std::llround(std::fabs(d.errorPercent) * 1e9), std::fabs(std::log10((d.r1 + d.r2) / 1e4)));
    };
    std::sort(candidates.begin(), candidates.end(), [&](const Divider& a, const Divider& b) { return key(a) < key(b); });
    std::vector<Divider> out;
    for (const Divider& d : candidates) {
        const bool repeat = std::any_of(out.begin(), out.end(), [&](const Divider& kept) {
            return key(kept).first == key(d).first && sameValue(kept.r1 / kept.r2, d.r1 / d.r2);
        });
        if (!repeat) out.push_back(d);
        if (out.size() == kOffered) break;
    }
    return out;
}

std::string DividerFinder::describe(const Divider& d) {
    return "R1 " + engineering(d.r1, Unit::Ohm) + ", R2 " + engineering(d.r2, Unit::Ohm) + ": " +
           engineering(d.vout, Unit::Volt, 5) + " (" + signedPercent(d.errorPercent) + ")";
}
