#pragma once
#include <optional>
#include <string>
#include <vector>

/// The LED series resistor: from the supply voltage, the number of LEDs in series, one LED's forward voltage and
/// the LED current, the exact resistance and its power, then the next standard resistor and power rating.
class LedResistor {
public:
    /// The four field texts, initially those the screen opens with.
    struct Texts {
        std::string supply = "12", count = "1", forward = "2", current = "20";
    };
    /// The four figures, read from the texts as the screen reads them (`floatValue`, `intValue`).
    struct Inputs {
        float supply = 0, forward = 0, milliamps = 0;
        int count = 0;
        static Inputs fromTexts(const Texts& texts);
    };
    /// What the computation gives: an error text, or the resistance (truncated to whole ohms) and its power, the
    /// recommended part (0 when none of the list fits) and its rating (none above the largest rating).
    struct Result {
        const char* error = nullptr;
        int ohms = 0;
        float watts = 0;
        int recommended = 0;
        std::optional<float> rating;
    };
    /// The two result lines: resistance and power (or the error), then the recommendation (or empty).
    struct Lines {
        std::string resistance, recommendation;
    };

    /// The 118 standard resistances (ohms) a recommendation is taken from, ascending, 1 to 910000.
    static const std::vector<int>& resistorList();
    /// The nine power ratings (watts) a recommendation is taken from, ascending, 0.125 to 100.
    static const std::vector<float>& powerRatings();
    /// The circuit picture for `count` LEDs on a phone or a tablet.
    static std::string schematicName(int count, bool tablet);

    static Result compute(const Inputs& in);
    static Lines lines(const Result& result);
    /// `lines(compute(Inputs::fromTexts(texts)))`: the screen's two lines for its four field texts.
    static Lines linesForTexts(const Texts& texts);
};
