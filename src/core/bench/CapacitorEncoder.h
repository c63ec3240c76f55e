#pragma once
#include <optional>
#include <string>

/// The three-digit capacitor code for a value: the inverse of the capacitor code.
class CapacitorEncoder {
public:
    /// Two digits and a multiplier digit of picofarads, 0 … 7, 9 for ×0.1 and 8 for ×0.01 (0.1 pF … 990 µF),
    /// followed by the tolerance letter when `tolerance` is given: a letter the capacitor screen knows ("K",
    /// "k", "C") or a percentage that one of the letters stands for ("10" → K). Nothing, with `error` set, for a
    /// value the code cannot hold or an unknown tolerance.
    static std::optional<std::string> code(double farads, const std::optional<std::string>& tolerance,
                                           std::string* error);
    /// The tolerance letter for a letter or percentage as `code` takes it, or nothing with `error` set.
    static std::optional<char> toleranceLetter(const std::string& tolerance, std::string* error);
    /// The symmetric percentage a tolerance letter stands for (K → 10), or nothing (P, Z, B, C, D, unknown).
    static std::optional<double> percentOf(char letter);
};
