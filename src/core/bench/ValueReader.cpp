#include "core/bench/ValueReader.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

// Multiplier exponent of a prefix letter; R is a decimal point that says "ohms".
std::optional<int> prefixExponent(char c) {
    switch (c) {
        case 'p': return -12;
        case 'n': return -9;
        case 'u': return -6;
        case 'm': return -3;
        case 'R': case 'r': return 0;
        case 'k': case 'K': return 3;
        case 'M': return 6;
        case 'G': return 9;
        default: return std::nullopt;
    }
}

bool endsWithWord(const std::string& s, std::string_view word) {
    if (s.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - word.size() + i])) !=
            static_cast<unsigned char>(word[i]))
            return false;
    return true;
}

// Spells the micro and ohm signs as ASCII so the rest reads bytes: µ (micro sign or Greek mu) → u, Ω (Greek
// capital omega or ohm sign) → "ohm".
std::string asciiSpelling(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        auto at = [&](std::string_view seq) { return text.substr(i, seq.size()) == seq; };
        if (at("\xC2\xB5") || at("\xCE\xBC")) out += 'u', i += 1;
        else if (at("\xCE\xA9")) out += "ohm", i += 1;
        else if (at("\xE2\x84\xA6")) out += "ohm", i += 2;
        else out += text[i];
    }
    return out;
}

std::string trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    size_t start = 0;
    while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
    return s.substr(start);
}

// Takes a trailing unit off `s`.
Unit takeUnit(std::string& s) {
    static const struct {
        std::string_view word;
        Unit unit;
    } units[] = {{"ohms", Unit::Ohm}, {"ohm", Unit::Ohm}, {"f", Unit::Farad}, {"h", Unit::Henry},
                 {"v", Unit::Volt}, {"a", Unit::Ampere}};
    for (const auto& u : units) {
        if (endsWithWord(s, u.word)) {
            s.resize(s.size() - u.word.size());
            return u.unit;
        }
    }
    return Unit::None;
}

// "ohms", "farads", "henries", "hertz", "degrees Celsius".
std::string plural(Unit unit) {
    switch (unit) {
        case Unit::Henry: return "henries";
        case Unit::Hertz: return "hertz";
        case Unit::Celsius: return "degrees Celsius";
        default: return unitName(unit) + std::string("s");
    }
}

// The board and RF tools' units, lower case, longest first so that "mils" is not read as "m". `read` knows none
// of them: there a last m is milli, and s, W and C are no units of a part.
const struct {
    Unit unit;
    std::string_view text;
    double scale;
} kMeasureUnits[] = {{Unit::Metre, "mils", 25.4e-6}, {Unit::Metre, "mil", 25.4e-6}, {Unit::Metre, "in", 25.4e-3},
                     {Unit::Metre, "m", 1},           {Unit::Hertz, "hz", 1},        {Unit::Second, "s", 1},
                     {Unit::Watt, "w", 1},            {Unit::Celsius, "\xC2\xB0" "c", 1}, {Unit::Celsius, "c", 1}};

std::string inOtherUnit(std::string_view text, Unit unit, const std::string& wanted) {
    return "'" + std::string(text) + "' is in " + plural(unit) + ": give " + wanted;
}

}  // namespace

std::optional<double> ValueReader::readAs(std::string_view text, Unit unit, std::string* error) {
    std::string s = trimmed(std::string(text));
    double scale = 1;
    for (const auto& m : kMeasureUnits) {
        if (m.unit == unit && endsWithWord(s, m.text)) {
            s.resize(s.size() - m.text.size());
            scale = m.scale;
            break;
        }
    }
    auto q = read(s, nullptr);
    if (!q) {
        if (error) *error = notAValue(text);
        return std::nullopt;
    }
    if (q->unit != Unit::None && q->unit != unit) {
        if (error) *error = inOtherUnit(text, q->unit, plural(unit));
        return std::nullopt;
    }
    return q->value * scale;
}

std::optional<Quantity> ValueReader::readComponent(std::string_view text, std::string* error) {
    auto q = read(text, error);
    if (!q) return std::nullopt;
    if (q->unit == Unit::None) q->unit = Unit::Ohm;
    if (q->unit != Unit::Ohm && q->unit != Unit::Farad && q->unit != Unit::Henry) {
        if (error) *error = inOtherUnit(text, q->unit, "ohms, farads or henries");
        return std::nullopt;
    }
    return q;
}

std::string ValueReader::notAValue(std::string_view text) {
    return "'" + std::string(text) + "' is not a value: write 4.7k, 4k7 or 4700";
}

std::optional<Quantity> ValueReader::read(std::string_view text, std::string* error) {
    auto fail = [&]() -> std::optional<Quantity> {
        if (error) *error = notAValue(text);
        return std::nullopt;
    };
    std::string s = trimmed(asciiSpelling(text));
    Quantity q;
    q.unit = takeUnit(s);
    s = trimmed(s);
    // What is left: digits with at most one decimal mark, which is '.', ',' or a prefix letter (which may also
    // stand last, after a number that has its own point).
    std::string intPart, fracPart;
    int exponent = 0;
    bool seenMark = false, seenLetter = false, sawBlank = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (sawBlank) return fail();  // "4 7"
            (seenMark ? fracPart : intPart) += c;
        } else if (c == '.' || c == ',') {
            if (seenMark || sawBlank) return fail();
            seenMark = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            sawBlank = true;  // only between the number and a last prefix letter
        } else if (auto e = prefixExponent(c)) {
            if (seenLetter) return fail();
            const bool last = i + 1 == s.size();
            if (!last && (seenMark || sawBlank)) return fail();  // "4.7k7", "4 k7"
            if ((c == 'R' || c == 'r') && q.unit != Unit::None && q.unit != Unit::Ohm) return fail();
            if (c == 'R' || c == 'r') q.unit = Unit::Ohm;
            seenLetter = true;
            seenMark = true;
            exponent = *e;
        } else {
            return fail();
        }
    }
    if (intPart.empty() && fracPart.empty()) return fail();
    // Parsing "digits.digitsE±n" rounds once, so 4k7 is exactly the double nearest 4700.
    const std::string number = (intPart.empty() ? "0" : intPart) + "." + fracPart + "e" + std::to_string(exponent);
    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return fail();
    q.value = value;
    return q;
}
