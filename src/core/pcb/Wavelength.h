#pragma once
#include <optional>
#include <string>

/// A wave's length in a medium of a velocity factor: λ = v · c / f, with the half and quarter wave and the period.
class Wavelength {
public:
    static constexpr double kSpeedOfLight = 299792458;  ///< m/s
    struct Result {
        double wavelength = 0, half = 0, quarter = 0, period = 0;
    };
    /// Nothing, with `error` set, unless the frequency is above 0 and the velocity factor above 0 and at most 1.
    static std::optional<Result> compute(double frequency, double velocityFactor, std::string* error);
};
