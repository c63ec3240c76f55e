#include "core/decoders/SmdCode.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <charconv>
#include <regex>

#include "core/bench/SignificantDigits.h"
#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

using Form = SmdCode::Form;
using Reading = SmdCode::Reading;
using Refusal = SmdCode::Refusal;

// A marking as characters (code points), upper-cased as the platform does it: Unicode-aware and the same in
// every locale, so "4r7" reads as "4R7".
struct Marking {
    icu::UnicodeString text;
    explicit Marking(std::string_view utf8)
        : text(icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())))) {
        text.toUpper(icu::Locale::getRoot());
    }
    int length() const { return text.countChar32(); }
    // The first `count` characters, as UTF-8.
    std::string prefix(int count) const {
        std::string out;
        text.tempSubString(0, text.moveIndex32(0, count)).toUTF8String(out);
        return out;
    }
    // The character at `index`; only compared with ASCII digits and letters.
    UChar32 at(int index) const { return text.char32At(text.moveIndex32(0, index)); }
    std::string utf8() const {
        std::string out;
        text.toUTF8String(out);
        return out;
    }
};

// The EIA-96 letters and the power of ten each multiplies the E96 value by.
int eiaExponent(char letter) {
    switch (letter) {
        case 'Z': return -3;
        case 'Y': return -2;
        case 'X':
        case 'S': return -1;
        case 'A': return 0;
        case 'B':
        case 'H': return 1;
        case 'C': return 2;
        case 'D': return 3;
        case 'E': return 4;
        case 'F': return 5;
        default: return 99;
    }
}

bool isMultiplierLetter(UChar32 c) { return c > 0 && c < 0x80 && eiaExponent(static_cast<char>(c)) != 99; }

Reading coded(Form form, int number, char multiplier, int exponent) {
    return {form, "", number, multiplier, SignificantDigits{number, exponent}.value()};
}

SmdCode::Result threeCharacters(const Marking& t) {
    const int d = intValue(t.prefix(2));
    const UChar32 c = t.at(2);
    if (d == 0) return coded(Form::ThreeDigit, 0, static_cast<char>(c < 0x80 ? c : '?'), 0);
    // A sign in front of the digits (as in "-12") is no marking; a negative resistance would be a wrong answer.
    if (d < 0 && c >= '0' && c <= '9') return Refusal::NotAMarking;
    if (c >= '0' && c <= '7') return coded(Form::ThreeDigit, d, static_cast<char>(c), static_cast<int>(c - '0'));
    if (c == '8' || c == '9') return Refusal::TooBig;
    if (!isMultiplierLetter(c)) return Refusal::NotAMarking;
    // EIA-96: two code digits and a multiplier letter.
    const int v = SmdCode::eia96Value(intValue(t.prefix(2)));
    if (v == 0) return Refusal::UnknownEiaCode;
    const char letter = static_cast<char>(c);
    return coded(Form::Eia96, v, letter, eiaExponent(letter));
}

SmdCode::Result fourCharacters(const Marking& t) {
    const int b = intValue(t.prefix(3));
    const UChar32 c = t.at(3);
    if (b < 0) return Refusal::NotAMarking;  // a signed number, not a marking
    if (c >= '0' && c <= '6') return coded(Form::FourDigit, b, static_cast<char>(c), static_cast<int>(c - '0'));
    if (c >= '7' && c <= '9') return Refusal::TooBig;
    return Refusal::NotAMarking;
}

// The value of a marking with a letter as decimal point, when the text is a number that way.
std::optional<double> pointedValue(const std::string& pointed, int exponent) {
    static const std::regex number("[0-9]*\\.?[0-9]*");
    if (!std::regex_match(pointed, number) || pointed.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    // from_chars reads the point whatever the locale; "47." and ".47" as written.
    const std::string plain = pointed.front() == '.' ? "0" + pointed : pointed;
    double v = 0;
    std::from_chars(plain.data(), plain.data() + plain.size(), v);
    return v * std::pow(10.0, exponent);
}

std::string threeCharacterLine(const Reading& r) {
    const int d = r.number;
    if (d == 0) return "Results: 0 Ohm";
    switch (r.multiplier) {
        case '0': return format("Results: %d Ohm", d);
        case '1': return format("Results: %d Ohm", d * 10);
        case '2':
            if (d * 100 >= 1000) return format("Results: %d.%d KOhm", d / 10, d % 10);
            return format("Results: %d Ohm", d * 100);
        case '3': return format("Results: %d KOhm", d);
        case '4': return format("Results: %d0 KOhm", d);
        case '5': return format("Results: %d.%d MOhm", d / 10, d % 10);
        case '6': return format("Results: %d MOhm", d);
        default: return format("Results: %d0 MOhm", d);  // '7'
    }
}

std::string eia96Line(const Reading& r) {
    const int v = r.number;
    switch (r.multiplier) {
        case 'Z': return format("Results: %.3f Ohm", v * 0.001);
        case 'Y': return format("Results: %.2f Ohm", v * 0.01);
        case 'X':
        case 'S': return format("Results: %.1f Ohm", v * 0.1);
        case 'A': return format("Results: %d Ohm", v);
        case 'B':
        case 'H': return format("Results: %d.%.3d KOhm", (v * 10) / 1000, (v * 10) % 1000);
        case 'C': return format("Results: %d.%d KOhm", v / 10, v % 10);
        case 'D': return format("Results: %d KOhm", v);
        case 'E': return format("Results: %d.%.2d MOhm", v / 100, v % 100);
        default: return format("Results: %d.%d MOhm", v / 10, v % 10);  // 'F'
    }
}

std::string fourDigitLine(const Reading& r) {
    const int b = r.number;
    switch (r.multiplier) {
        case '0': return format("Results: %d Ohm", b);
        case '1': return format("Results: %d.%.3d KOhm", (b * 10) / 1000, (b * 10) % 1000);
        // The fraction is a multiple of 100 and printed as it is: 1012 shows 10.100.
        case '2': return format("Results: %d.%d KOhm", (b * 100) / 1000, (b * 100) % 1000);
        case '3': return format("Results: %d KOhm", b);
        case '4': return format("Results: %d.%.2d MOhm", b / 100, b % 100);
        case '5': return format("Results: %d.%d MOhm", b / 10, b % 10);
        default: return format("Results: %d MOhm", b);  // '6'
    }
}

}  // namespace

int SmdCode::eia96Value(int code) {
    // The n-th E96 value is round(100 x 10^((n - 1) / 96)); the series is exactly that for n = 1 … 96.
    static const std::array<int, 96> table = [] {
        std::array<int, 96> t{};
        for (int n = 1; n <= 96; ++n)
            t[static_cast<size_t>(n - 1)] = static_cast<int>(std::lround(100.0 * std::pow(10.0, (n - 1) / 96.0)));
        return t;
    }();
    return code >= 1 && code <= 96 ? table[static_cast<size_t>(code - 1)] : 0;
}

SmdCode::Result SmdCode::screenReading(std::string_view text) {
    const Marking t(text);
    // R is the decimal point: "4R7" is 4.7 ohm. Nothing else is checked in such a marking.
    if (t.text.indexOf(static_cast<UChar>('R')) >= 0) {
        icu::UnicodeString withPoint(t.text);
        withPoint.findAndReplace(icu::UnicodeString(static_cast<UChar>('R')), icu::UnicodeString(static_cast<UChar>('.')));
        Reading r;
        r.form = Form::RNotation;
        withPoint.toUTF8String(r.pointed);
        r.multiplier = 'R';
        r.ohms = pointedValue(r.pointed, 0);
        return r;
    }
    switch (t.length()) {
        case 3: return threeCharacters(t);
        case 4: return fourCharacters(t);
        default: return Refusal::NotAMarking;
    }
}

std::optional<SmdCode::Result> SmdCode::read(std::string_view marking) {
    const std::string upper = Marking(marking).utf8();
    static const std::regex pointed("([0-9]*)([RKM])([0-9]*)"), digits("[0-9]{3,4}"), eia("[0-9]{2}[ZYXSABHCDEF]");
    std::smatch m;
    if (std::regex_match(upper, m, pointed) && m[1].length() + m[3].length() > 0) {
        const char letter = m[2].str()[0];
        Reading r;
        r.form = letter == 'R' ? Form::RNotation : Form::LetterPoint;
        // R notation reads as the screen writes it ("R47" is ".47"); K and M as a value in their unit ("4.7").
        if (letter == 'R') r.pointed = m[1].str() + "." + m[3].str();
        else r.pointed = (m[1].length() ? m[1].str() : "0") + (m[3].length() ? "." + m[3].str() : "");
        r.multiplier = letter;
        r.ohms = pointedValue(r.pointed, letter == 'R' ? 0 : letter == 'K' ? 3 : 6);
        return Result(r);
    }
    if (std::regex_match(upper, digits)) return screenReading(upper);
    if (std::regex_match(upper, eia)) {
        // Code 00 names no E96 value; the screen's rule would take it for 0 ohm.
        if (upper[0] == '0' && upper[1] == '0') return Result(Refusal::UnknownEiaCode);
        return screenReading(upper);
    }
    return std::nullopt;
}

std::string SmdCode::text(const Result& result) {
    if (const Refusal* refusal = std::get_if<Refusal>(&result)) {
        switch (*refusal) {
            case Refusal::TooBig: return "Value too big for SMD";
            case Refusal::UnknownEiaCode: return "Result: incorrect value";
            default: return "Results: invalid value";
        }
    }
    const Reading& r = std::get<Reading>(result);
    switch (r.form) {
        case Form::RNotation: return format("Results: %@ Ohm", r.pointed);
        case Form::LetterPoint: return format("Results: %@ %@", r.pointed, r.multiplier == 'K' ? "KOhm" : "MOhm");
        case Form::ThreeDigit: return threeCharacterLine(r);
        case Form::FourDigit: return fourDigitLine(r);
        default: return eia96Line(r);
    }
}
