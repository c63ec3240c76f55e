#include "cli/OptionReader.h"

#include <cctype>
#include <cmath>

#include "cli/UsageError.h"
#include "core/bench/Quantity.h"
#include "core/bench/ValueReader.h"

namespace {

struct Reading {
    Unit unit;      ///< what the value reader reads a prefixed or united text in
    double scale;   ///< base units in one of the option's units
    bool prefixes;  ///< whether a prefix or unit may be written at all
    const char* name;
    const char* examples;
};

Reading readingOf(Measure m) {
    switch (m) {
        case Measure::Volts: return {Unit::Volt, 1, true, "volts", "12, 4.5 or 3300mV"};
        case Measure::Amperes: return {Unit::Ampere, 1, true, "amperes", "5, 0.5 or 500mA"};
        case Measure::Milliamperes: return {Unit::Ampere, 1e-3, true, "milliamperes", "20, 0.5 or 20mA"};
        case Measure::Microfarads: return {Unit::Farad, 1e-6, true, "microfarads", "10, 0.1, 100n or 4u7"};
        case Measure::KiloOhms: return {Unit::Ohm, 1e3, true, "kilo-ohms", "10, 4.7, 4k7 or 470R"};
        case Measure::Watts: return {Unit::Watt, 1, true, "watts", "100, 9.5 or 1.5kW"};
        case Measure::Metres: return {Unit::None, 1, false, "metres", "10 or 2.5"};
        case Measure::Hours: return {Unit::None, 1, false, "hours", "5 or 0.5"};
        case Measure::Count: return {Unit::None, 1, false, "a whole number", "1 or 3"};
    }
    return {Unit::None, 1, false, "", ""};
}

// Digits with at most one decimal mark and blanks around them: a number that carries no prefix or unit.
bool isBare(const std::string& text) {
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != ',' &&
            !std::isspace(static_cast<unsigned char>(c)))
            return false;
    return true;
}

}  // namespace

const char* OptionReader::unitName(Measure measure) { return readingOf(measure).name; }

double OptionReader::read(const std::string& option, const std::string& text, Measure measure) {
    const Reading r = readingOf(measure);
    const std::string notA = option + ": '" + text + "' is not " +
                             (measure == Measure::Count ? std::string(r.name) : std::string("a value in ") + r.name) +
                             " (write " + r.examples + ")";
    const bool bare = isBare(text);
    if (!bare && !r.prefixes) throw UsageError(notA);
    std::string error;
    auto value = ValueReader::readAs(text, bare ? Unit::None : r.unit, &error);
    if (!value) {
        // A value in another unit says which; anything else is not a value at all.
        if (ValueReader::read(text, nullptr)) throw UsageError(option + ": " + error);
        throw UsageError(notA);
    }
    const double v = bare ? *value : *value / r.scale;
    if (!std::isfinite(v) || v > 3.4e38) throw UsageError(option + ": '" + text + "' is too large");
    if (measure == Measure::Count && (v != std::floor(v) || v > 2147483647.0)) throw UsageError(notA);
    return v;
}
