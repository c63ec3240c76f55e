#include "decoders/InfoResistorsSMD.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <string_view>

#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

// The n-th E96 value is round(100 x 10^((n - 1) / 96)); the series is exactly that for n = 1 … 96.
const std::array<int, 96>& e96() {
    static const std::array<int, 96> table = [] {
        std::array<int, 96> t{};
        for (int n = 1; n <= 96; ++n)
            t[static_cast<size_t>(n - 1)] = static_cast<int>(std::lround(100.0 * std::pow(10.0, (n - 1) / 96.0)));
        return t;
    }();
    return table;
}

// A marking as characters (code points), upper-cased as the platform does it: Unicode-aware and the same in
// every locale, so "4r7" reads as "4R7".
struct Marking {
    icu::UnicodeString text;

    explicit Marking(const std::string& utf8) : text(icu::UnicodeString::fromUTF8(utf8)) {
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
};

bool isMultiplierLetter(UChar32 c) {
    return c > 0 && c < 0x80 && std::string_view("ZYXSABHCDEF").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string threeCharacters(const Marking& t) {
    const int d = intValue(t.prefix(2));
    if (d == 0) return "Results: 0 Ohm";
    const UChar32 c = t.at(2);
    // A sign in front of the digits (as in "-12") is no marking; a negative resistance would be a wrong answer.
    if (d < 0 && c >= '0' && c <= '9') return "Results: invalid value";
    switch (c) {
        case '0': return format("Results: %d Ohm", d);
        case '1': return format("Results: %d Ohm", d * 10);
        case '2':
            if (d * 100 >= 1000) return format("Results: %d.%d KOhm", d / 10, d % 10);
            return format("Results: %d Ohm", d * 100);
        case '3': return format("Results: %d KOhm", d);
        case '4': return format("Results: %d0 KOhm", d);
        case '5': return format("Results: %d.%d MOhm", d / 10, d % 10);
        case '6': return format("Results: %d MOhm", d);
        case '7': return format("Results: %d0 MOhm", d);
        case '8':
        case '9': return "Value too big for SMD";
        default: break;
    }
    if (!isMultiplierLetter(c)) return "Results: invalid value";

    // EIA-96: two code digits and a multiplier letter.
    const int v = InfoResistorsSMD::DecodeSMDDigits(t.prefix(2));
    if (v == 0) return "Result: incorrect value";
    switch (c) {
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

std::string fourCharacters(const Marking& t) {
    const int b = intValue(t.prefix(3));
    const UChar32 c = t.at(3);
    if (b < 0) return "Results: invalid value";  // a signed number, not a marking
    switch (c) {
        case '0': return format("Results: %d Ohm", b);
        case '1': return format("Results: %d.%.3d KOhm", (b * 10) / 1000, (b * 10) % 1000);
        // The fraction is a multiple of 100 and printed as it is: 1012 shows 10.100.
        case '2': return format("Results: %d.%d KOhm", (b * 100) / 1000, (b * 100) % 1000);
        case '3': return format("Results: %d KOhm", b);
        case '4': return format("Results: %d.%.2d MOhm", b / 100, b % 100);
        case '5': return format("Results: %d.%d MOhm", b / 10, b % 10);
        case '6': return format("Results: %d MOhm", b);
        case '7':
        case '8':
        case '9': return "Value too big for SMD";
        default: return "Results: invalid value";
    }
}

}  // namespace

InfoResistorsSMD::InfoResistorsSMD(std::string nibName) : ViewController(std::move(nibName)) {
    m_cResistance.setDelegate(this);
    m_cResistance.setKeyboardType(TextField::Keyboard::Default);  // markings hold letters
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cResult", m_cResult);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

void InfoResistorsSMD::viewDidLoad() {
    m_cResistance.setText("4501");
    ShowResults();
    _textObserver.observeAll([this] { ShowResults(); });
}

bool InfoResistorsSMD::textFieldShouldReturn(TextField* field) {
    if (field) field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoResistorsSMD::ShowResults() { m_cResult.setText(resultText(m_cResistance.text())); }

int InfoResistorsSMD::DecodeSMDDigits(const std::string& digits) {
    const int n = intValue(digits);
    return n >= 1 && n <= 96 ? e96()[static_cast<size_t>(n - 1)] : 0;
}

std::string InfoResistorsSMD::resultText(const std::string& text) {
    const Marking t(text);
    // R is the decimal point: "4R7" is 4.7 ohm. Nothing else is checked in such a marking.
    if (t.text.indexOf(static_cast<UChar>('R')) >= 0) {
        icu::UnicodeString withPoint(t.text);
        withPoint.findAndReplace(icu::UnicodeString(static_cast<UChar>('R')), icu::UnicodeString(static_cast<UChar>('.')));
        std::string out;
        withPoint.toUTF8String(out);
        return format("Results: %@ Ohm", out);
    }
    switch (t.length()) {
        case 3: return threeCharacters(t);
        case 4: return fourCharacters(t);
        default: return "Results: invalid value";
    }
}
