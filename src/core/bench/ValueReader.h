#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/bench/Quantity.h"

/// Reads a value as engineers write it: "4700", "4.7k", "4,7k", "4k7", "2R2", "R47", "4n7", "100nF", "4.7 kΩ",
/// "2u2H", "12V", "50uA". Prefixes p n u µ m k K M G; the unit is optional (Ω, ohm, ohms, F, H, V, A, any case
/// for the words); blanks around the text and between the number and its prefix or unit are allowed. A prefix
/// or R written between digits is the decimal point. Values are never negative.
class ValueReader {
public:
    /// The value in base units, or nothing with `error` set to a message naming the text, for anything else:
    /// a text is read whole or not at all ("4k7k", "1e3", "1,000.5" and "-" are errors, not partial reads).
    static std::optional<Quantity> read(std::string_view text, std::string* error);

    /// `text` read as a value in `unit`, a bare number being taken in it; nothing with `error` set when it is not
    /// a value or is in another unit ("'5F' is in farads: give amperes"). The board and RF tools' units are read
    /// only where they are asked: "1.6mm", "35 µm", "10mil", "0.5in", "5m" (a last m is metres where a length is
    /// asked), "100MHz", "10ms", "0.5W", "25°C", "25C".
    static std::optional<double> readAs(std::string_view text, Unit unit, std::string* error);
    /// `text` read as a part's value: ohms, farads or henries, a bare number being ohms; nothing with `error` set
    /// otherwise.
    static std::optional<Quantity> readComponent(std::string_view text, std::string* error);

    /// The message for a text that is not a value.
    static std::string notAValue(std::string_view text);
};
