#include "core/bench/DividerFinder.h"

#include <algorithm>
#include <cmath>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"
#include "platform/Format.h"

namespace {

bool atMost(double a, double b) { return a <= b || sameValue(a, b); }

}  // namespace

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

    std::vector<Divider> candidates;
    for (double r2 : series.valuesBetween(floor, q.maxTotal)) {
        const double bottom = q.load ? r2 * *q.load / (r2 + *q.load) : r2;
        // The output falls as R1 grows, so for this R2 the best R1 is a neighbour of the exact one, or the
        // nearest value inside the range when those fall outside it.
        const double exact = bottom * (q.vin - q.vout) / q.vout;
        const auto around = series.around(exact, floor);
        std::vector<double> r1s = {around.above};
        if (around.below) r1s.push_back(*around.below);
        if (auto top = series.around(std::max(q.maxTotal - r2, floor), floor).below) r1s.push_back(*top);
        if (q.minTotal - r2 > 0) r1s.push_back(series.around(q.minTotal - r2, floor).above);
        for (double r1 : r1s) {
            if (!atMost(q.minTotal, r1 + r2) || !atMost(r1 + r2, q.maxTotal)) continue;
            const double vout = q.vin * bottom / (r1 + bottom);
            candidates.push_back({r1, r2, vout, (vout - q.vout) / q.vout * 100});
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
        if (out.size() == 5) break;
    }
    return out;
}

std::string DividerFinder::describe(const Divider& d) {
    return "R1 " + engineering(d.r1, Unit::Ohm) + ", R2 " + engineering(d.r2, Unit::Ohm) + ": " +
           engineering(d.vout, Unit::Volt, 5) + " (" + signedPercent(d.errorPercent) + ")";
}
