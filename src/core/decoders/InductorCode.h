#pragma once
#include <string>
#include <vector>

#include "core/decoders/BandValue.h"

/// Inductor colour bands: digit, digit, a multiplier of microhenries and a tolerance, and the inductor screen's
/// result line.
class InductorCode {
public:
    /// The value of 3 or 4 bands given by colour name in any case: every multiplier colour (silver ×0.01 …
    /// white), every tolerance colour, black and "none" meaning 20 %; 3 bands carry no tolerance (20 %). The value
    /// is in henries.
    static BandReading decode(const std::vector<std::string>& bands);
    /// The screen's line: "Inductance: 4.7 mH +-5%". Digits placed around a decimal point in uH, mH or H; the
    /// silver multiplier always shows three decimals ("0.470 uH"), as the screen prints it.
    static std::string text(const BandValue& value);

    /// The rows of the screen's four wheels, in component order.
    static const std::vector<std::vector<std::string>>& wheels();
    /// The screen's line for selected wheel rows. A significant value of 0 (the first wheel without a selection)
    /// reads "Inductance: 0 uH"; a multiplier row no wheel has gives no value, a tolerance row no wheel has 20 %.
    static std::string wheelText(int r0, int r1, int r2, int r3);
};
