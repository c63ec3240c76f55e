#pragma once
#include <optional>
#include <string>

/// A plated via: its barrel's resistance (and the drop and loss at a current), the current it carries for a
/// temperature rise (IPC-2221's heating rule on the barrel's cross-section), its thermal resistance along the
/// barrel, and the capacitance and inductance of Johnson and Graham's closed forms.
class Via {
public:
    struct Query {
        double hole = 0.3e-3;       ///< finished hole diameter, m
        double plating = 25e-6;     ///< barrel copper thickness, m
        double length = 1.6e-3;     ///< board thickness, m
        double pad = 0.6e-3;        ///< pad diameter, m
        double clearance = 1e-3;    ///< clearance (antipad) diameter in the planes, m
        double er = 4.4;            ///< relative permittivity of the board
        double rise = 10;           ///< °C, for the current
        double ambient = 25;        ///< °C; the copper is taken at ambient + rise
        std::optional<double> current;  ///< A, for the drop and loss
    };
    struct Result {
        double area = 0;               ///< barrel cross-section, m²
        double resistance = 0;         ///< Ω
        double current = 0;            ///< A for the rise
        double thermalResistance = 0;  ///< °C/W
        double capacitance = 0;        ///< F
        double inductance = 0;         ///< H
        double drop = 0, loss = 0;     ///< V, W at the current asked (0 without one)
    };

    /// Nothing, with `error` set, for values out of range or a clearance not wider than the pad.
    static std::optional<Result> compute(const Query& query, std::string* error);
};
