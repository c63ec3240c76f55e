#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bench/Quantity.h"

/// Every plausible reading of a part's marking: colour bands (either direction), SMD codes, capacitor and
/// inductor codes, or a value written out.
class MarkingIdentifier {
public:
    struct Reading {
        std::string kind;  ///< "resistor bands", "resistor bands (reversed)", "inductor bands", "SMD code",
                           ///< "EIA-96 code", "capacitor code", "inductor code", "value"
        double value = 0;  ///< base units
        Unit unit = Unit::None;
        std::optional<double> tolerancePercent;  ///< when the marking carries a symmetric percentage
        std::string text;                        ///< "4.7 kΩ ±5 %", "470 nF +/- 10%"
    };

    /// The readings of `text`, most likely first; none for a text that is no marking. Colour names may be
    /// separated by blanks, commas or hyphens, in any case, "gray" or "grey".
    static std::vector<Reading> identify(std::string_view text);
};
