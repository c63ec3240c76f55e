#include "core/bench/ColourCode.h"

#include <cctype>
#include <cmath>

#include "platform/Format.h"

const std::vector<ColourCode::Colour>& ColourCode::colours() {
    static const std::vector<Colour> table = {
        {"black", 0, 0, std::nullopt, 250},  {"brown", 1, 1, 1.0, 100},        {"red", 2, 2, 2.0, 50},
        {"orange", 3, 3, std::nullopt, 15},  {"yellow", 4, 4, std::nullopt, 25}, {"green", 5, 5, 0.5, 20},
        {"blue", 6, 6, 0.25, 10},            {"violet", 7, 7, 0.1, 5},         {"grey", 8, 8, 0.05, 1},
        {"white", 9, 9, std::nullopt, std::nullopt},
        {"gold", std::nullopt, -1, 5.0, std::nullopt},
        {"silver", std::nullopt, -2, 10.0, std::nullopt},
        {"none", std::nullopt, std::nullopt, 20.0, std::nullopt},
    };
    return table;
}

const ColourCode::Colour* ColourCode::named(std::string_view name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "gray") lower = "grey";
    for (const Colour& c : colours())
        if (lower == c.name) return &c;
    return nullptr;
}

const ColourCode::Colour& ColourCode::ofDigit(int digit) { return colours().at(static_cast<size_t>(digit)); }

const ColourCode::Colour* ColourCode::ofMultiplier(int exponent) {
    for (const Colour& c : colours())
        if (c.multiplier == exponent) return &c;
    return nullptr;
}

const ColourCode::Colour* ColourCode::ofTolerance(double percent) {
    for (const Colour& c : colours())
        if (c.tolerance && std::fabs(*c.tolerance - percent) < 1e-9) return &c;
    return nullptr;
}

const ColourCode::Colour* ColourCode::ofTemperatureCoefficient(int ppm) {
    for (const Colour& c : colours())
        if (c.temperatureCoefficient == ppm) return &c;
    return nullptr;
}

std::string ColourCode::toleranceList() {
    std::string out;
    for (const Colour& c : colours())
        if (c.tolerance) out += (out.empty() ? "" : ", ") + format("%g", *c.tolerance);
    return out;
}
