#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The colour code of banded parts (IEC 60062): what each colour means as a digit, a multiplier, a tolerance and
/// a temperature coefficient. Names are lower case, "grey" spelled so; "gray" is read as grey.
class ColourCode {
public:
    struct Colour {
        const char* name;
        std::optional<int> digit;            ///< black 0 … white 9
        std::optional<int> multiplier;       ///< power of ten: black 0 … white 9, gold −1, silver −2
        std::optional<double> tolerance;     ///< percent: brown 1, red 2, green 0.5, … gold 5, silver 10, none 20
        std::optional<int> temperatureCoefficient;  ///< ppm/K of the sixth band
    };

    /// The thirteen colours: black … white, gold, silver, none.
    static const std::vector<Colour>& colours();
    /// The colour of that name in any case ("Grey", "gray", "GOLD"), or null.
    static const Colour* named(std::string_view name);
    /// The colour with that digit (0 … 9).
    static const Colour& ofDigit(int digit);
    /// The colour with that multiplier exponent, or null.
    static const Colour* ofMultiplier(int exponent);
    /// The colour with that tolerance in percent, or null; 20 % is "none" (no band).
    static const Colour* ofTolerance(double percent);
    /// The colour with that temperature coefficient in ppm/K, or null.
    static const Colour* ofTemperatureCoefficient(int ppm);
    /// "1, 2, 0.5, …": the tolerances there are colours for, for messages.
    static std::string toleranceList();
};
