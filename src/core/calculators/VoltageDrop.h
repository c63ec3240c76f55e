#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The voltage lost along a two-wire cable of an AWG gauge, a length (one way) and a current, for copper and for
/// aluminium.
class VoltageDrop {
public:
    /// The aluminium drop is the copper drop times this (the float nearest 54/35).
    static constexpr float kAluminiumFactor = 1.5428572f;

    /// The three field texts, initially those the screen opens with.
    struct Texts {
        std::string gauge = "18", amps = "5", metres = "10";
    };
    /// A gauge's copper resistance as the text shown, and the two drops in volts.
    struct Result {
        std::string ohmsPerMetre;
        float copper = 0, aluminium = 0;
    };
    /// The three result lines: resistance per metre (or "Incorrect input"), copper drop, aluminium drop.
    struct Lines {
        std::string resistance, copper, aluminium;
    };

    /// The 44 gauges, "0000" to "40", with the copper resistance in ohms per metre, both as the texts shown.
    static const std::vector<std::pair<std::string, std::string>>& awgTable();
    /// The resistance text of a gauge typed exactly as a key ("18", "0000"); nothing for any other text.
    static std::optional<std::string> resistanceOfGauge(std::string_view gauge);

    /// Nothing for a text that is not a gauge; current and length are not checked.
    static std::optional<Result> compute(std::string_view gauge, float amps, float metres);
    static Lines lines(const std::optional<Result>& result);
    /// The lines for the three field texts (current and length read with `floatValue`).
    static Lines linesForTexts(const Texts& texts);
};
