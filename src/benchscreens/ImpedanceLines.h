#pragma once
#include <optional>
#include <string>

#include "core/pcb/TransmissionLine.h"

/// The three result lines the line-impedance screens show: the impedance (and, for coupled lines, the
/// differential and odd-mode ones), the effective permittivity with the delay, and the dimension a wanted
/// impedance needs (empty without one). A geometry out of range gives its message on the first line.
struct ImpedanceLines {
    std::string impedance, delay, synthesis;

    static ImpedanceLines of(TransmissionLine::Kind kind, const TransmissionLine::Geometry& g,
                             std::optional<double> wanted);
};
