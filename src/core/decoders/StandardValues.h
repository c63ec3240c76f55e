#pragma once
#include <cstdint>
#include <optional>
#include <string>

/// The standard resistor values next to a resistance, from the standard-values screen's four lists (1 Ω to
/// 10 MΩ; E24 values, the ohm list short of some), and the screen's result line.
class StandardValues {
public:
    /// The neighbours of a resistance among the list of its range.
    struct Nearest {
        double ohms = 0;
        std::uint64_t lower = 0;  ///< the list value before `upper`
        std::uint64_t upper = 0;  ///< the first list value, from the second on, not below `ohms`
        bool exact() const { return ohms == static_cast<double>(upper); }
    };

    /// The screen's line for a resistance outside the lists' range.
    static constexpr const char* kIncorrect = "Incorrect value";

    /// The neighbours of `ohms`, or nothing outside 1 … 10000000 Ω.
    static std::optional<Nearest> around(double ohms);
    /// The screen's line: "Nearest value: 4.7 KOhm", "Nearest value: 12 or 13 KOhm".
    static std::string text(const Nearest& nearest);
    /// The screen's line for its field's text, read as whole ohms with `longLongValue` ("4.7" reads as 4);
    /// "Incorrect value" outside the lists' range.
    static std::string screenText(const std::string& typed);
};
