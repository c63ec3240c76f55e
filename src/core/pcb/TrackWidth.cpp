#include "core/pcb/TrackWidth.h"

#include "core/pcb/Conductor.h"
#include "core/pcb/InputCheck.h"

std::optional<TrackWidth::Result> TrackWidth::compute(const Query& q, std::string* error) {
    if (q.current.has_value() == q.width.has_value()) {
        pcb::refuse("give the current or the width, not both", error);
        return std::nullopt;
    }
    if ((q.current && !pcb::above0(*q.current, "current", error)) ||
        (q.width && !pcb::above0(*q.width, "width", error)) || !pcb::above0(q.rise, "rise", error) ||
        !pcb::above0(q.thickness, "thickness", error) || !pcb::atLeast0(q.length, "length", error))
        return std::nullopt;
    Result r;
    if (q.current) {
        r.current = *q.current;
        r.area = conductor::ipcArea(r.current, q.rise, q.internal);
        r.width = r.area / q.thickness;
    } else {
        r.width = *q.width;
        r.area = r.width * q.thickness;
        r.current = conductor::ipcCurrent(r.area, q.rise, q.internal);
    }
    r.resistance = conductor::resistance(conductor::kCopper, q.length, r.area, q.ambient + q.rise);
    r.drop = r.current * r.resistance;
    r.loss = r.current * r.drop;
    return r;
}
