#pragma once
#include <optional>
#include <string>
#include <variant>

/// What a set of colour bands says: significant digits times a power of ten of the code's unit (ohms for
/// resistors, microhenries for inductors), a tolerance and, on six-band resistors, a temperature coefficient.
struct BandValue {
    int digits = 0;        ///< the significant figures as one number: 47, 100
    int exponent = 0;      ///< the multiplier's power of ten: -2 (silver) … 9 (white)
    double value = 0;      ///< digits × 10^exponent in base units: ohms, henries
    double tolerancePercent = 20;
    std::optional<int> ppm;  ///< temperature coefficient in ppm/K
};

/// Why a set of bands is no value, and at which band (0-based; the count itself for `BandCount`).
struct BandRefusal {
    enum class Problem { BandCount, UnknownColour, NotADigit, NotAMultiplier, NotATolerance, NotATemperatureCoefficient };
    Problem problem = Problem::BandCount;
    int band = 0;
};

using BandReading = std::variant<BandValue, BandRefusal>;

/// The digit text `digits` scaled by 10^shift with the digits kept as they stand: zeros appended for a positive
/// shift, a decimal point placed for a negative one ("47", 1 → "470"; "47", -1 → "4.7"; "47", -2 → "0.47";
/// "100", -2 → "1.00"). This is how the decoder screens write values: never through a computed number.
std::string placedDigits(const std::string& digits, int shift);

/// A value of `digits` × 10^exponent written the decoder screens' way in the largest of `units` (each 1000 times
/// the previous) whose first digit stays at or left of the point: "4.7" "KOhm" for 47 × 10^2 Ω. Fills `value`
/// and returns the unit.
std::string placedInUnits(int digits, int exponent, const char* const* units, int unitCount, std::string& value);

/// The screens' tolerance figure: "5" for 5 %, "0.25" for 0.25 %.
std::string percentFigure(double percent);
