#include "core/bench/RegulatorFinder.h"

#include <cmath>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"
#include "core/bench/RegulatorSolver.h"

std::optional<RegulatorFinder::Result> RegulatorFinder::find(const Query& q, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<Result> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    if (!(q.r1 > 0) || !std::isfinite(q.r1)) return fail("R1 must be above 0 Ω");
    if (!(q.vref > 0) || !std::isfinite(q.vref)) return fail("Vref must be above 0 V");
    if (!(q.iadj >= 0) || !std::isfinite(q.iadj)) return fail("Iadj cannot be negative");
    if (!(q.vout > q.vref) || !std::isfinite(q.vout))
        return fail("Vout must be above Vref (" + engineering(q.vref, Unit::Volt) + ")");
    Result r;
    r.r2Exact = (q.vout - q.vref) / (q.vref / q.r1 + q.iadj);
    r.r2 = q.series->around(r.r2Exact, ESeries::smallest(Unit::Ohm)).nearest;
    r.vout = RegulatorSolver::output({q.vref, q.iadj}, q.r1, r.r2);
    r.errorPercent = (r.vout - q.vout) / q.vout * 100;
    return r;
}
