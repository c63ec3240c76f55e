#include "core/pcb/Via.h"

#include <cmath>
#include <numbers>

#include "core/pcb/Conductor.h"
#include "core/pcb/InputCheck.h"

std::optional<Via::Result> Via::compute(const Query& q, std::string* error) {
    using pcb::above0;
    if (!above0(q.hole, "hole", error) || !above0(q.plating, "thickness", error) ||
        !above0(q.length, "length", error) || !above0(q.pad, "pad", error) ||
        !above0(q.clearance, "clearance", error) || !above0(q.er, "er", error) || !above0(q.rise, "rise", error) ||
        (q.current && !pcb::atLeast0(*q.current, "current", error)))
        return std::nullopt;
    if (q.er < 1) return pcb::refuse("er must be at least 1", error), std::nullopt;
    if (!(q.clearance > q.pad)) return pcb::refuse("clearance must be wider than the pad", error), std::nullopt;
    if (!(q.pad > q.hole)) return pcb::refuse("pad must be wider than the hole", error), std::nullopt;
    Result r;
    // The plating lines the drilled hole, so the barrel runs from the finished hole to hole + 2 × plating.
    r.area = std::numbers::pi * (q.hole + q.plating) * q.plating;
    r.resistance = conductor::resistance(conductor::kCopper, q.length, r.area, q.ambient + q.rise);
    r.current = conductor::ipcCurrent(r.area, q.rise, false);
    r.thermalResistance = q.length / (conductor::kCopperThermalConductivity * r.area);
    // Johnson and Graham, High-Speed Digital Design: C = 1.41 εr T D1 / (D2 − D1) pF and
    // L = 5.08 h (ln(4h/d) + 1) nH, lengths in inches.
    constexpr double inch = 0.0254;
    r.capacitance = 1.41e-12 * q.er * (q.length / inch) * q.pad / (q.clearance - q.pad);
    r.inductance = 5.08e-9 * (q.length / inch) * (std::log(4 * q.length / q.hole) + 1);
    if (q.current) {
        r.drop = *q.current * r.resistance;
        r.loss = *q.current * r.drop;
    }
    return r;
}
