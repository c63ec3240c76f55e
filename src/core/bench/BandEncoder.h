#pragma once
#include <optional>
#include <string>
#include <vector>

/// Colour bands for a value: the inverse of the resistor and inductor colour code screens, extended by the gold
/// and silver multipliers and every tolerance and temperature-coefficient colour.
class BandEncoder {
public:
    /// The bands of a resistor of `ohms` with 3, 4, 5 or 6 bands: two significant digits for 3 and 4 bands, three
    /// for 5 and 6; gold and silver multipliers below 10 Ω. The tolerance defaults to 20 % (3 bands, which carry
    /// none), 5 % (4) or 1 % (5, 6); the temperature coefficient, only on 6 bands, to 100 ppm/K. Nothing, with
    /// `error` saying which form could hold it, when these bands cannot show the value exactly.
    static std::optional<std::vector<std::string>> resistor(double ohms, int bands, std::optional<double> tolerance,
                                                            std::optional<int> ppm, std::string* error);
    /// The four bands of an inductor of `henries` (0.1 µH … 990 mH, two significant digits): digit, digit,
    /// multiplier of microhenries (black … yellow, gold, silver), tolerance (black 20 %, gold 5 %, silver 10 %;
    /// 20 % when not given).
    static std::optional<std::vector<std::string>> inductor(double henries, std::optional<double> tolerance,
                                                            std::string* error);
};
