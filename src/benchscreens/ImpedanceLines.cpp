#include "benchscreens/ImpedanceLines.h"

#include "core/bench/Quantity.h"
#include "core/bench/Quantity.h"

ImpedanceLines ImpedanceLines::of(TransmissionLine::Kind kind, const TransmissionLine::Geometry& g,
                                  std::optional<double> wanted) {
    ImpedanceLines lines;
    std::string error;
    if (wanted) {
        auto found = TransmissionLine::synthesise(kind, g, *wanted, &error);
        if (!found) {
            lines.synthesis = "For " + engineering(*wanted, Unit::Ohm) + ": " + error;
        } else {
            const bool coax = kind == TransmissionLine::Kind::Coax, pair = kind == TransmissionLine::Kind::TwistedPair;
            lines.synthesis = "For " + engineering(*wanted, Unit::Ohm) + ": " +
                              (coax ? "centre conductor " : pair ? "wire diameter " : "width ") +
                              engineering(coax ? found->inner : pair ? found->diameter : found->width, Unit::Metre);
        }
    }
    auto r = TransmissionLine::analyse(kind, g, &error);
    if (!r) {
        lines.impedance = error;
        return lines;
    }
    lines.impedance = "Z0 " + engineering(r->z0, Unit::Ohm);
    if (r->zDiff)
        lines.impedance += ", Zdiff " + engineering(*r->zDiff, Unit::Ohm) + ", Zodd " + engineering(*r->zOdd, Unit::Ohm);
    lines.delay = "εeff " + engineering(r->erEff, Unit::None) + ", delay " + engineering(r->delay * 1e-2, Unit::Second) + "/cm";
    return lines;
}
