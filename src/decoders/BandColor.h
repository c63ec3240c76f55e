#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Color.h"
#include "platform/ui/Label.h"

/// One colour of the band colour table shared by the resistor and inductor screens.
struct BandColor {
    const char* name;  // exactly as held in the wheel arrays: "Black" … "Silver", "none"
    Color swatch;
};

/// The thirteen band colours in table order.
const std::array<BandColor, 13>& bandColors();

/// The table entry of that exact name, or nothing.
const BandColor* bandColorNamed(std::string_view name);

/// A wheel row's swatch: a 32 x 32 centred label on the colour's swatch, named for screen readers by the colour;
/// "none" shows "-" on light grey, any other row no text. An unknown name gives a label with no background.
std::unique_ptr<Label> makeColorSwatch(std::string_view name);
/// The swatch of row `row` of a wheel whose rows are `names`; a row outside the wheel draws as an unknown name.
std::unique_ptr<Label> makeColorSwatch(const std::vector<std::string>& names, int row);
