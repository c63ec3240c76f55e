#pragma once
#include <string>

/// The physical unit a value carries: the bench tools' ohms, farads, henries, volts and amperes, and the board and
/// RF tools' metres, hertz, seconds, watts and degrees Celsius. `None` is a bare number: the tool that takes it
/// decides what it means (ohms for resistor tools, farads for capacitor codes).
enum class Unit { None, Ohm, Farad, Henry, Volt, Ampere, Metre, Hertz, Second, Watt, Celsius };

/// A value in base units with the unit it was written in.
struct Quantity {
    double value = 0;
    Unit unit = Unit::None;
};

/// The symbol printed after a value: "Ω", "F", "H", "V", "A", "m", "Hz", "s", "W", "°C"; empty for `None`.
const char* unitSymbol(Unit unit);
/// The word used in messages and JSON: "ohm", "farad", "henry", "volt", "ampere", "metre", …; empty for `None`.
const char* unitName(Unit unit);

/// Engineering notation with the unit: 4700 Ω → "4.7 kΩ", 1e-7 F → "100 nF", 0.47 Ω → "470 mΩ"; up to
/// `digits` significant digits, trailing zeros dropped. Zero prints as "0 Ω"; prefixes run from p to G. Degrees
/// Celsius take no prefix: "25 °C".
std::string engineering(double value, Unit unit, int digits = 4);

/// A signed percentage for results: "+0.78 %", "-3.2 %", "0 %" (below 0.0000005 %), three significant digits.
std::string signedPercent(double percent);
