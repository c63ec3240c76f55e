#pragma once
#include <string>
#include <vector>

#include "core/decoders/BandValue.h"

/// Resistor colour bands (IEC 60062): what 3 to 6 bands say, and the resistor screen's result line.
class ResistorCode {
public:
    /// The value of bands given by colour name in any case ("gray" or "grey"), in reading order: 3 bands are digit,
    /// digit, multiplier (20 %); 4 add a tolerance; 5 are three digits, multiplier, tolerance; 6 add a temperature
    /// coefficient. "none" stands where the screen's wheels offer it: a missing third digit (two digits then), no
    /// tolerance band (20 %), no coefficient. Every multiplier (silver … white), tolerance and coefficient colour
    /// of the code is read, beyond what the wheels hold.
    static BandReading decode(const std::vector<std::string>& bands);
    /// The screen's line for a value: "Resistance: 4.7 KOhm +-5%", with ", 25ppm" for a coefficient. The digits
    /// are placed around a decimal point in Ohm, KOhm or MOhm, as the screen's wheels show them.
    static std::string text(const BandValue& value);

    /// The rows of the screen's six wheels, in component order (first digit … temperature coefficient).
    static const std::vector<std::vector<std::string>>& wheels();
    /// The screen's line for selected wheel rows. A first wheel without a selection (-1) reads "Resistance:
    /// colors are not correct"; a multiplier row no wheel has gives no value, tolerance and coefficient rows no
    /// wheel has read as none.
    static std::string wheelText(int r0, int r1, int r2, int r3, int r4, int r5);
};
