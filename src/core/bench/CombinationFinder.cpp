#include "core/bench/CombinationFinder.h"

#include <algorithm>
#include <cmath>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"

namespace {

using Combination = CombinationFinder::Combination;

double parallel(double a, double b) { return a * b / (a + b); }

// Keeps the closest of the combinations it is shown.
class Best {
public:
    explicit Best(double target) : target_(target) {}
    void consider(std::initializer_list<double> values, const char* arrangement, double result) {
        const double error = std::fabs(result - target_);
        if (best_.values.empty() || error < error_) {
            best_ = {values, arrangement, result, (result - target_) / target_ * 100};
            error_ = error;
        }
    }
    const Combination& best() const { return best_; }

private:
    double target_;
    double error_ = 0;
    Combination best_;
};

// The series values around a wanted one, from a sorted pool: the two that enclose it, or the pool's edge (the
// smallest for a wanted value of zero or less, the largest for an infinite one).
template <typename F>
void eachNeighbour(const std::vector<double>& pool, double wanted, F&& f) {
    if (!(wanted > 0)) return f(pool.front());
    if (!std::isfinite(wanted)) return f(pool.back());
    auto it = std::lower_bound(pool.begin(), pool.end(), wanted);
    if (it != pool.end()) f(*it);
    if (it != pool.begin()) f(*(it - 1));
}

}  // namespace

std::optional<CombinationFinder::Result> CombinationFinder::find(double t, const ESeries& series, std::string* error) {
    const double floor = ESeries::smallest(Unit::Ohm);
    if (!(t > floor) || !std::isfinite(t)) {
        if (error) *error = "the target must be above " + engineering(floor, Unit::Ohm);
        return std::nullopt;
    }
    // Every value that can matter for a partner: three decades either side (below them a value changes the
    // result by less than the series' step; above, a parallel one likewise).
    const std::vector<double> pool = series.valuesBetween(std::max(floor, t / 1000), t * 1000);
    auto between = [&](double lo, double hi) {
        return std::make_pair(std::lower_bound(pool.begin(), pool.end(), lo * (1 - 1e-12)),
                              std::upper_bound(pool.begin(), pool.end(), hi * (1 + 1e-12)));
    };

    Result r;
    Best single(t), inSeries(t), inParallel(t), three(t);
    const auto n = series.around(t, floor);
    single.consider({n.nearest}, "R1", n.nearest);

    // Two: every value of the pool with the neighbours of the partner it would need.
    for (double a : pool) {
        eachNeighbour(pool, t - a, [&](double b) { inSeries.consider({a, b}, "R1 + R2", a + b); });
        eachNeighbour(pool, 1 / (1 / t - 1 / a), [&](double b) {
            if (a > t || sameValue(a, t)) inParallel.consider({a, b}, "R1 || R2", parallel(a, b));
        });
    }

    // Three: two chosen values within two decades of the target, the third from the exact value it needs.
    for (auto [a, aEnd] = between(t / 100, t * 100); a != aEnd; ++a) {
        for (auto b = between(t / 100, t).first; b != pool.end() && *b <= *a; ++b) {
            const double sum = *a + *b, par = parallel(*a, *b);
            if (sum < t)
                eachNeighbour(pool, t - sum, [&](double c) { three.consider({*a, *b, c}, "R1 + R2 + R3", sum + c); });
            if (par > t)
                eachNeighbour(pool, 1 / (1 / t - 1 / par), [&](double c) {
                    three.consider({*a, *b, c}, "R1 || R2 || R3", parallel(par, c));
                });
            if (sum > t)
                eachNeighbour(pool, 1 / (1 / t - 1 / sum), [&](double c) {
                    three.consider({*a, *b, c}, "(R1 + R2) || R3", parallel(sum, c));
                });
            if (par < t)
                eachNeighbour(pool, t - par, [&](double c) { three.consider({*a, *b, c}, "(R1 || R2) + R3", par + c); });
        }
    }
    r.single = single.best();
    r.series = inSeries.best();
    r.parallel = inParallel.best();
    r.three = three.best();
    return r;
}

std::string CombinationFinder::describe(const Combination& c) {
    std::string text = c.arrangement;
    for (size_t i = 0; i < c.values.size(); ++i) {
        const std::string name = "R" + std::to_string(i + 1);
        text.replace(text.find(name), name.size(), engineering(c.values[i], Unit::Ohm));
    }
    if (c.values.size() > 1) text += " = " + engineering(c.result, Unit::Ohm, 5);
    return text + " (" + signedPercent(c.errorPercent) + ")";
}
