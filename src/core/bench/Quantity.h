#pragma once
#include <string>

/// The physical unit a bench-tool value carries. `None` is a bare number: the tool that takes it decides what it
/// means (ohms for resistor tools, farads for capacitor codes).
enum class Unit { None, Ohm, Farad, Henry, Volt, Ampere };

/// A value in base units (ohms, farads, henries, volts, amperes) with the unit it was written in.
struct Quantity {
    double value = 0;
    Unit unit = Unit::None;
};

/// The symbol printed after a value: "Ω", "F", "H", "V", "A"; empty for `None`.
const char* unitSymbol(Unit unit);
/// The word used in messages and JSON: "ohm", "farad", "henry", "volt", "ampere"; empty for `None`.
const char* unitName(Unit unit);

/// Engineering notation with the unit: 4700 Ω → "4.7 kΩ", 1e-7 F → "100 nF", 0.47 Ω → "470 mΩ"; up to
/// `digits` significant digits, trailing zeros dropped. Zero prints as "0 Ω"; prefixes run from p to G.
std::string engineering(double value, Unit unit, int digits = 4);

/// A signed percentage for results: "+0.78 %", "-3.2 %", "0 %" (below 0.0000005 %), three significant digits.
std::string signedPercent(double percent);
