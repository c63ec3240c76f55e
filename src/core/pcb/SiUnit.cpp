#include "core/pcb/SiUnit.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "core/bench/Quantity.h"
#include "core/bench/ValueReader.h"

namespace {

struct Suffix {
    std::string_view text;  // lower case
    double scale;
};

// The units each measure may be written in, longest first so "mils" is not read as "m".
std::pair<const Suffix*, const Suffix*> suffixes(SiUnit m) {
    static constexpr Suffix metre[] = {{"mils", 25.4e-6}, {"mil", 25.4e-6}, {"in", 25.4e-3}, {"m", 1}};
    static constexpr Suffix hertz[] = {{"hz", 1}};
    static constexpr Suffix second[] = {{"s", 1}};
    static constexpr Suffix watt[] = {{"w", 1}};
    static constexpr Suffix celsius[] = {{"\xC2\xB0" "c", 1}, {"c", 1}};
    switch (m) {
        case SiUnit::Metre: return {std::begin(metre), std::end(metre)};
        case SiUnit::Hertz: return {std::begin(hertz), std::end(hertz)};
        case SiUnit::Second: return {std::begin(second), std::end(second)};
        case SiUnit::Watt: return {std::begin(watt), std::end(watt)};
        case SiUnit::Celsius: return {std::begin(celsius), std::end(celsius)};
    }
    return {nullptr, nullptr};
}

const char* symbol(SiUnit m) {
    switch (m) {
        case SiUnit::Metre: return "m";
        case SiUnit::Hertz: return "Hz";
        case SiUnit::Second: return "s";
        case SiUnit::Watt: return "W";
        case SiUnit::Celsius: return "°C";
    }
    return "";
}

const char* plural(SiUnit m) {
    switch (m) {
        case SiUnit::Metre: return "metres";
        case SiUnit::Hertz: return "hertz";
        case SiUnit::Second: return "seconds";
        case SiUnit::Watt: return "watts";
        case SiUnit::Celsius: return "degrees Celsius";
    }
    return "";
}

bool endsWith(const std::string& s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) !=
            static_cast<unsigned char>(suffix[i]))
            return false;
    return true;
}

}  // namespace

std::optional<double> readMeasure(std::string_view text, SiUnit measure, std::string* error) {
    std::string s(text);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    double scale = 1;
    for (auto [u, end] = suffixes(measure); u != end; ++u) {
        if (endsWith(s, u->text)) {
            s.resize(s.size() - u->text.size());
            scale = u->scale;
            break;
        }
    }
    std::string readError;
    auto q = ValueReader::read(s, &readError);
    if (q && q->unit == Unit::None) return q->value * scale;
    if (error) {
        const std::string name = q ? unitName(q->unit) : "";
        *error = !q ? ValueReader::notAValue(text)
                    : "'" + std::string(text) + "' is in " + (name == "henry" ? "henries" : name + "s") +
                          ": give " + plural(measure);
    }
    return std::nullopt;
}

std::string formatMeasure(double value, SiUnit measure, int digits) {
    if (measure == SiUnit::Celsius) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*g °C", digits, value);
        return buf;
    }
    // Without a unit the notation ends in the prefix alone ("1.6 m" for 1.6e-3), or in the number.
    std::string text = engineering(value, Unit::None, digits);
    return text.find(' ') == std::string::npos ? text + " " + symbol(measure) : text + symbol(measure);
}
