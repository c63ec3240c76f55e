#include "core/bench/RegulatorSolver.h"

#include <cmath>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"

namespace {

bool fail(std::string message, std::string* error) {
    if (error) *error = std::move(message);
    return false;
}

bool positive(double v) { return v > 0 && std::isfinite(v); }

}  // namespace

double RegulatorSolver::output(const Circuit& c, double r1, double r2) { return c.vref * (1 + r2 / r1) + c.iadj * r2; }

bool RegulatorSolver::check(const Circuit& c, double r1, double r2, std::string* error) {
    if (!positive(r1)) return fail("R1 must be above 0 Ω", error);
    if (!positive(r2)) return fail("R2 must be above 0 Ω", error);
    if (!positive(c.vref)) return fail("Vref must be above 0 V", error);
    if (!(c.iadj >= 0) || !std::isfinite(c.iadj)) return fail("Iadj cannot be negative", error);
    return true;
}

std::optional<RegulatorSolver::R1Result> RegulatorSolver::findR1(const Circuit& c, double vout, double r2,
                                                                  const ESeries& series, std::string* error) {
    if (!check(c, 1, r2, error)) return std::nullopt;
    const double floor = c.vref + c.iadj * r2;  // the output with R1 open
    if (!(vout > floor) || !std::isfinite(vout)) {
        fail("Vout must be above Vref + Iadj × R2 (" + engineering(floor, Unit::Volt) + ")", error);
        return std::nullopt;
    }
    R1Result r;
    r.r1Exact = c.vref * r2 / (vout - floor);
    r.r1 = series.around(r.r1Exact, ESeries::smallest(Unit::Ohm)).nearest;
    r.vout = output(c, r.r1, r2);
    r.errorPercent = (r.vout - vout) / vout * 100;
    return r;
}

RegulatorSolver::Spread RegulatorSolver::spread(const Circuit& c, double r1, double r2, double percent) {
    const double t = percent / 100;
    return {output(c, r1 * (1 + t), r2 * (1 - t)), output(c, r1 * (1 - t), r2 * (1 + t))};
}
