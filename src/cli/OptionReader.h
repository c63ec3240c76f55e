#pragma once
#include <string>

/// What a calculator option's number is: the unit it is given in on the command line, which is the unit of the
/// screen's field, so a bare number means what it means there.
enum class Measure {
    Volts,
    Amperes,
    Milliamperes,
    Microfarads,
    KiloOhms,
    Watts,
    Metres,  ///< a plain number: "10m" would read as ten millimetres
    Hours,   ///< a plain number
    Count,   ///< a plain whole number
};

/// Reads an option's text whole, with the value reader, in the option's unit: a bare number is in that unit, a
/// prefix or unit is honoured ("10nF" for microfarads is 0.01, "4k7" for kilo-ohms 4.7, "20mA" for milliamperes
/// 20, "1.5kW" for watts 1500). Anything else, a negative or empty text too, is a usage error naming the option.
class OptionReader {
public:
    static double read(const std::string& option, const std::string& text, Measure measure);
    /// The unit's name for help texts and messages: "volts", "microfarads", ...
    static const char* unitName(Measure measure);
};
