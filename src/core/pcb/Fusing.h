#pragma once
#include <optional>
#include <string>

/// The current that melts a copper conductor in a time, or the time a current takes, after Onderdonk's
/// equation for a conductor heated without losing heat:
/// I = A · √(log10(1 + (Tm − Ta) / (234 + Ta)) / (33 t)), A in circular mils, Tm = 1083 °C.
class Fusing {
public:
    struct Query {
        double area = 0;                ///< cross-section, m²
        double ambient = 25;            ///< °C
        std::optional<double> time;     ///< s; give this or `current`
        std::optional<double> current;  ///< A
    };
    struct Result {
        double current = 0, time = 0;
    };
    static constexpr double kCopperMelts = 1083;  ///< °C

    /// Nothing, with `error` set, when neither or both of time and current are given, or for values out of
    /// range (an ambient at or above the melting point).
    static std::optional<Result> compute(const Query& query, std::string* error);
};
