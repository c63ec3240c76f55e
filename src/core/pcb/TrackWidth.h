#pragma once
#include <optional>
#include <string>

/// A board track's width for a current (or the current for a width) at a temperature rise, after IPC-2221's
/// heating chart, with the track's resistance, voltage drop and power loss over a length.
class TrackWidth {
public:
    struct Query {
        std::optional<double> current;  ///< A; give this or `width`
        std::optional<double> width;    ///< m
        double rise = 10;               ///< °C above ambient
        double thickness = 35e-6;       ///< copper, m
        bool internal = false;          ///< an inner layer (half the outer layer's current)
        double length = 0;              ///< m, for the resistance; 0 gives none
        double ambient = 25;            ///< °C; the copper is taken at ambient + rise
    };
    struct Result {
        double width = 0, current = 0, area = 0;  ///< m, A, m²
        double resistance = 0, drop = 0, loss = 0;  ///< Ω, V, W over the length at the current
    };

    /// Nothing, with `error` set, when neither or both of current and width are given or a value is out of range.
    static std::optional<Result> compute(const Query& query, std::string* error);
};
