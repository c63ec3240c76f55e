#include "core/pcb/Fusing.h"

#include <cmath>
#include <numbers>

#include "core/pcb/InputCheck.h"

std::optional<Fusing::Result> Fusing::compute(const Query& q, std::string* error) {
    if (q.time.has_value() == q.current.has_value()) {
        pcb::refuse("give the time or the current, not both", error);
        return std::nullopt;
    }
    if (!pcb::above0(q.area, "area", error) || (q.time && !pcb::above0(*q.time, "time", error)) ||
        (q.current && !pcb::above0(*q.current, "current", error)))
        return std::nullopt;
    if (!(q.ambient < kCopperMelts) || !(q.ambient > -234)) {
        pcb::refuse("ambient must lie between -234 °C and copper's melting point, 1083 °C", error);
        return std::nullopt;
    }
    const double circularMils = q.area / (std::numbers::pi / 4 * 25.4e-6 * 25.4e-6);
    const double heat = std::log10(1 + (kCopperMelts - q.ambient) / (234 + q.ambient)) / 33;
    Result r;
    if (q.time) {
        r.time = *q.time;
        r.current = circularMils * std::sqrt(heat / r.time);
    } else {
        r.current = *q.current;
        r.time = heat / std::pow(r.current / circularMils, 2);
    }
    return r;
}
