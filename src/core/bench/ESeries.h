#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bench/Quantity.h"

/// One of the IEC 60063 preferred-number series E3 … E192: its mantissas, and its values in every decade from
/// the smallest a part is made in (0.1 Ω, 0.1 pF, 0.1 nH) upward.
class ESeries {
public:
    /// The nearest series values around a value.
    struct Neighbours {
        std::optional<double> below;  ///< the largest value ≤ the given one; none below the smallest value
        double above = 0;             ///< the smallest value ≥ the given one (equal to `below` for a series value)
        double nearest = 0;           ///< whichever of the two is closer
        double errorPercent = 0;      ///< (nearest − value) / value × 100
    };

    /// The series of that name ("E24", "e24", "24"), or null.
    static const ESeries* named(std::string_view name);
    /// E3, E6, E12, E24, E48, E96, E192 in that order.
    static const std::vector<const ESeries*>& all();
    /// The smallest value parts of this unit are made in: 0.1 Ω (also for bare numbers and volts), 0.1 pF, 0.1 nH.
    static double smallest(Unit unit);

    const std::string& name() const { return name_; }
    /// Three-digit mantissas, ascending (100 … 988); E24 keeps its historical 270 … 820, E192 its 920.
    const std::vector<int>& mantissas() const { return mantissas_; }
    /// Mantissa `index` placed in the decade of 10^decade: value(1, 3) of E24 is 1100.
    double value(int index, int decade) const;
    /// Every series value from `lo` to `hi` (both included), ascending.
    std::vector<double> valuesBetween(double lo, double hi) const;
    /// The neighbours of `v` (> 0) among values not below `floor`.
    Neighbours around(double v, double floor = 0.1) const;
    /// Whether `v` is a series value (to one part in 10^9).
    bool contains(double v) const;

    ESeries(std::string name, std::vector<int> mantissas);

private:
    std::string name_;
    std::vector<int> mantissas_;
};

/// Whether two values are equal to one part in 10^9: series values are computed, typed values parsed.
bool sameValue(double a, double b);
