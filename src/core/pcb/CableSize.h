#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pcb/Conductor.h"

/// A cable's two conductors (out and back) of an AWG gauge or a metric cross-section: loop resistance,
/// voltage drop, power loss and current density; the size in the other system; the smallest sizes that keep
/// the drop within a limit.
class CableSize {
public:
    struct Query {
        double area = 0;         ///< one conductor's cross-section, m²
        double length = 0;       ///< the cable's length, m (the current goes out and back)
        double current = 0;      ///< A
        const conductor::Material* material = &conductor::kCopper;
        double temperature = 20;         ///< °C
        std::optional<double> maxDrop;   ///< V, for the smallest sizes that keep within it
    };
    struct Result {
        double area = 0, resistance = 0, drop = 0, loss = 0, currentDensity = 0;  ///< m², Ω, V, W, A/m²
        int nearestAwg = 0;                      ///< the gauge closest in area (-3 is 0000)
        double nearestMetric = 0;                ///< the standard metric size closest in area, m²
        std::optional<int> smallestAwg;          ///< the thinnest gauge within maxDrop
        std::optional<double> smallestMetric;    ///< the smallest standard metric size within maxDrop, m²
    };

    /// A gauge's diameter in m: 0.127 mm × 92^((36 − n)/39), n = -3 for 0000 up to 40.
    static double awgDiameter(int gauge);
    static double awgArea(int gauge);
    /// The gauge written "12", "0", "00", "0000", "4/0"; nothing outside 0000 … 40.
    static std::optional<int> awgNamed(std::string_view text);
    /// "12", "0", "4/0".
    static std::string awgName(int gauge);
    /// IEC 60228's conductor sizes, 0.5 mm² to 300 mm², in m².
    static const std::vector<double>& metricSizes();
    /// Nothing, with `error` set, for values out of range.
    static std::optional<Result> compute(const Query& query, std::string* error);
};
