#pragma once

/// Copper and aluminium as the board and cable tools use them, and the IPC-2221 heating rule they share.
namespace conductor {

/// Resistivity at 20 °C in Ω·m (annealed copper, the 100 % IACS standard; EC-grade aluminium, 61 % IACS) and
/// the temperature coefficient of resistance per °C around 20 °C.
struct Material {
    const char* name;
    double resistivity;
    double temperatureCoefficient;
};
inline constexpr Material kCopper{"copper", 1.7241e-8, 0.00393};
inline constexpr Material kAluminium{"aluminium", 2.8264e-8, 0.00403};

/// One ounce of copper spread on a square foot is 1.37 mil thick.
inline constexpr double kMetresPerOunce = 1.37 * 25.4e-6;
/// Thermal conductivity of copper, W/(m·K).
inline constexpr double kCopperThermalConductivity = 401;

/// Resistance in Ω of `length` of `area` (m²) at `celsius`.
double resistance(const Material& m, double length, double area, double celsius);

/// IPC-2221's chart of track heating as its formula, I = k · ΔT^0.44 · A^0.725 (I in A, ΔT in °C, A in mil²),
/// k being 0.048 on outer layers and 0.024 on inner ones. The current in A for a cross-section in m² and a rise.
double ipcCurrent(double area, double rise, bool internal);
/// The inverse: the cross-section in m² that carries `current` for a rise.
double ipcArea(double current, double rise, bool internal);

}  // namespace conductor
