#include "core/decoders/BandValue.h"

#include <algorithm>

#include "platform/Format.h"

std::string placedDigits(const std::string& digits, int shift) {
    if (shift >= 0) return digits + std::string(static_cast<size_t>(shift), '0');
    const int point = static_cast<int>(digits.size()) + shift;
    if (point > 0) return digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
    return "0." + std::string(static_cast<size_t>(-point), '0') + digits;
}

std::string placedInUnits(int digits, int exponent, const char* const* units, int unitCount, std::string& value) {
    const std::string text = std::to_string(digits);
    // The power of ten of the first digit picks the unit; floor division, so 0.47 stays in the base unit.
    const int lead = exponent + static_cast<int>(text.size()) - 1;
    const int group = std::clamp(lead >= 0 ? lead / 3 : -1, 0, unitCount - 1);
    value = placedDigits(text, exponent - 3 * group);
    return units[group];
}

std::string percentFigure(double percent) { return format("%g", percent); }
