#include "core/pcb/Wavelength.h"

#include "core/pcb/InputCheck.h"

std::optional<Wavelength::Result> Wavelength::compute(double frequency, double velocityFactor, std::string* error) {
    if (!pcb::above0(frequency, "frequency", error) || !pcb::above0(velocityFactor, "velocity factor", error))
        return std::nullopt;
    if (velocityFactor > 1) return pcb::refuse("velocity factor cannot be above 1", error), std::nullopt;
    Result r;
    r.wavelength = velocityFactor * kSpeedOfLight / frequency;
    r.half = r.wavelength / 2;
    r.quarter = r.wavelength / 4;
    r.period = 1 / frequency;
    return r;
}
