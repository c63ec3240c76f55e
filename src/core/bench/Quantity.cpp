#include "core/bench/Quantity.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

const char* unitSymbol(Unit unit) {
    switch (unit) {
        case Unit::Ohm: return "Ω";
        case Unit::Farad: return "F";
        case Unit::Henry: return "H";
        case Unit::Volt: return "V";
        case Unit::Ampere: return "A";
        case Unit::Metre: return "m";
        case Unit::Hertz: return "Hz";
        case Unit::Second: return "s";
        case Unit::Watt: return "W";
        case Unit::Celsius: return "°C";
        case Unit::None: break;
    }
    return "";
}

const char* unitName(Unit unit) {
    switch (unit) {
        case Unit::Ohm: return "ohm";
        case Unit::Farad: return "farad";
        case Unit::Henry: return "henry";
        case Unit::Volt: return "volt";
        case Unit::Ampere: return "ampere";
        case Unit::Metre: return "metre";
        case Unit::Hertz: return "hertz";
        case Unit::Second: return "second";
        case Unit::Watt: return "watt";
        case Unit::Celsius: return "degree Celsius";
        case Unit::None: break;
    }
    return "";
}

std::string engineering(double value, Unit unit, int digits) {
    const std::string symbol = unitSymbol(unit);
    char buf[64];
    if (unit == Unit::Celsius) {
        std::snprintf(buf, sizeof buf, "%.*g %s", digits, value, symbol.c_str());
        return buf;
    }
    if (value == 0 || !std::isfinite(value)) return (value == 0 ? "0" : "?") + (symbol.empty() ? "" : " " + symbol);
    // Round to the significant digits first, so that 999.96 picks the prefix of 1000, not of 999.
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(value));
    const double rounded = std::strtod(buf, nullptr);
    static const char* const prefixes[] = {"p", "n", "µ", "m", "", "k", "M", "G"};
    int index = static_cast<int>(std::floor(std::log10(rounded) / 3)) + 4;
    if (index < 0) index = 0;
    if (index > 7) index = 7;
    const double scaled = rounded / std::pow(10.0, 3 * (index - 4));
    std::snprintf(buf, sizeof buf, "%.*g", digits, scaled);
    const std::string number = std::string(value < 0 ? "-" : "") + buf;
    const std::string suffix = prefixes[index] + symbol;
    return suffix.empty() ? number : number + " " + suffix;
}

std::string signedPercent(double percent) {
    if (std::fabs(percent) < 5e-7) return "0 %";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%+.3g %%", percent);
    return buf;
}
