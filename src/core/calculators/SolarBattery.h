#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/calculators/InfoSolarCalcItem.h"

/// The solar battery calculator: a list of loads, the battery voltage, the daily sun hours and one panel's power
/// give the daily energy, the battery capacity, twice that, the reserve, the number of panels and one panel's
/// average power over a day.
class SolarBattery {
public:
    /// The three figures' field texts, initially those the screen opens with.
    struct Texts {
        std::string volts = "12", sunHours = "5", panelWatts = "100";
    };
    struct Inputs {
        float volts = 0, sunHours = 0, panelWatts = 0;
    };
    /// Capacity is missing for a battery voltage too small to divide by; panels and their average power are
    /// missing where the sun hours, the panel power or the reserve leave nothing to compute.
    struct Result {
        float energy = 0;
        std::optional<float> capacity;
        float reserve = 0;
        std::optional<int> panels;
        float average = 0;
    };
    /// The six result lines in the screen's order: energy, capacity, twice that, reserve, panels, panel power.
    using Lines = std::array<std::string, 6>;

    static Result compute(const std::vector<InfoSolarCalcItem>& loads, const Inputs& in);
    static Lines lines(const Result& result);
    /// The lines for the loads and the three field texts (read with `floatValue`).
    static Lines linesForTexts(const std::vector<InfoSolarCalcItem>& loads, const Texts& texts);
};
