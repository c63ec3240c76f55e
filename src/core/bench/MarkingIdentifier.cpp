#include "core/bench/MarkingIdentifier.h"

#include <algorithm>
#include <cctype>
#include <regex>

#include "core/bench/ColourCode.h"
#include "core/bench/ESeries.h"
#include "core/bench/SignificantDigits.h"
#include "core/bench/ValueReader.h"
#include "core/decoders/CapacitorCode.h"
#include "core/decoders/SmdCode.h"
#include "platform/Format.h"

namespace {

using Reading = MarkingIdentifier::Reading;
using Colours = std::vector<const ColourCode::Colour*>;

std::string percentText(double percent) { return format(" ±%g %%", percent); }

Reading reading(std::string kind, double value, Unit unit, std::optional<double> tolerance, std::string extra = "") {
    std::string text = engineering(value, unit) + (tolerance ? percentText(*tolerance) : "") + extra;
    return {std::move(kind), value, unit, tolerance, std::move(text)};
}

double scaled(long long digits, int exponent) { return SignificantDigits{digits, exponent}.value(); }

// A resistor read from 3 to 6 bands in the order given: digits, multiplier, tolerance, temperature coefficient.
std::optional<Reading> resistorBands(const Colours& bands, const std::string& kind) {
    const size_t n = bands.size();
    if (n < 3 || n > 6) return std::nullopt;
    const size_t digitCount = n <= 4 ? 2 : 3;
    long long digits = 0;
    for (size_t i = 0; i < digitCount; ++i) {
        if (!bands[i]->digit || (i == 0 && *bands[i]->digit == 0)) return std::nullopt;
        digits = digits * 10 + *bands[i]->digit;
    }
    const auto* multiplier = bands[digitCount];
    if (!multiplier->multiplier) return std::nullopt;
    std::optional<double> tolerance = 20.0;
    if (n >= 4 && !(tolerance = bands[digitCount + 1]->tolerance)) return std::nullopt;
    std::string extra;
    if (n == 6) {
        if (!bands[5]->temperatureCoefficient) return std::nullopt;
        extra = format(", %d ppm/K", *bands[5]->temperatureCoefficient);
    }
    return reading(kind, scaled(digits, *multiplier->multiplier), Unit::Ohm, tolerance, extra);
}

// An inductor's four bands: two digits, a multiplier of microhenries up to yellow, black, gold or silver last.
std::optional<Reading> inductorBands(const Colours& bands) {
    if (bands.size() != 4 || !bands[0]->digit || *bands[0]->digit == 0 || !bands[1]->digit) return std::nullopt;
    const auto m = bands[2]->multiplier;
    if (!m || *m > 4) return std::nullopt;
    const std::string last = bands[3]->name;
    const double tolerance = last == "gold" ? 5 : last == "silver" ? 10 : 20;
    if (last != "gold" && last != "silver" && last != "black" && last != "none") return std::nullopt;
    return reading("inductor bands", scaled(*bands[0]->digit * 10 + *bands[1]->digit, *m - 6), Unit::Henry, tolerance);
}

std::vector<Reading> bandReadings(const std::string& text) {
    Colours bands;
    static const std::regex separators("[\\s,;/-]+");
    for (std::sregex_token_iterator it(text.begin(), text.end(), separators, -1), end; it != end; ++it) {
        if (it->length() == 0) continue;
        const auto* c = ColourCode::named(it->str());
        if (!c) return {};
        bands.push_back(c);
    }
    std::vector<Reading> out;
    if (bands.size() < 3) return out;
    if (auto r = resistorBands(bands, "resistor bands")) out.push_back(*r);
    if (auto r = resistorBands(Colours(bands.rbegin(), bands.rend()), "resistor bands (reversed)")) out.push_back(*r);
    // Makers print values of the coarsest series most: 22 kΩ (E6) is likelier than 3.2 kΩ (E192 only), and a
    // value off every series least likely. E192 alone would miss most of E24 (2.2, 3.3 and 6.8 are not in it).
    auto rank = [](const Reading& r) {
        const auto& all = ESeries::all();
        return std::find_if(all.begin(), all.end(), [&](const ESeries* s) { return s->contains(r.value); }) - all.begin();
    };
    std::stable_sort(out.begin(), out.end(), [&](const Reading& a, const Reading& b) { return rank(a) < rank(b); });
    if (auto r = inductorBands(bands)) out.push_back(*r);
    return out;
}

std::optional<Reading> smdReading(const std::string& code, const std::string& kind) {
    const auto result = SmdCode::read(code);
    const auto* r = result ? std::get_if<SmdCode::Reading>(&*result) : nullptr;
    if (!r || !r->ohms || !(*r->ohms > 0)) return std::nullopt;
    return reading(kind, *r->ohms, Unit::Ohm, std::nullopt);
}

std::optional<Reading> capacitorReading(const std::string& code) {
    const auto c = CapacitorCode::read(code, nullptr);
    if (!c) return std::nullopt;
    const auto* t = c->tolerance;
    const bool symmetric = t && !t->picofarads && t->minus == t->plus;
    Reading r = reading("capacitor code", c->farads, Unit::Farad, symmetric ? std::optional(t->plus) : std::nullopt);
    if (t && !symmetric) r.text += std::string(" ") + t->text;
    return r;
}

// Inductor codes count microhenries: "101" is 100 µH, "4R7" 4.7 µH.
std::optional<Reading> inductorCodeReading(const std::string& code) {
    double microhenries = 0;
    if (code.find('R') != std::string::npos) {
        std::string withPoint = code;
        std::replace(withPoint.begin(), withPoint.end(), 'R', '.');
        auto q = ValueReader::read(withPoint, nullptr);
        if (!q) return std::nullopt;
        microhenries = q->value;
    } else {
        if (code[2] > '5') return std::nullopt;
        microhenries = scaled(std::stoi(code.substr(0, 2)), code[2] - '0');
    }
    if (!(microhenries > 0)) return std::nullopt;
    return reading("inductor code", microhenries * 1e-6, Unit::Henry, std::nullopt);
}

}  // namespace

std::vector<Reading> MarkingIdentifier::identify(std::string_view input) {
    std::string text(input);
    std::vector<Reading> out = bandReadings(text);
    if (!out.empty()) return out;

    std::string code;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto add = [&](std::optional<Reading> r) {
        if (r) out.push_back(std::move(*r));
    };
    static const std::regex rNotation("[0-9]{0,3}R[0-9]{0,3}"), threeDigits("[0-9]{3}"), fourDigits("[0-9]{4}"),
        capacitorWithLetter("[1-9][0-9]{2}[A-Z]"), eia96("[0-9]{2}[ZYXSABHCDEF]");
    if (std::regex_match(code, rNotation) && code.size() >= 2 && code.size() <= 5) {
        add(smdReading(code, "SMD code"));
        add(inductorCodeReading(code));
    } else if (std::regex_match(code, threeDigits)) {
        add(smdReading(code, "SMD code"));
        add(capacitorReading(code));
        add(inductorCodeReading(code));
    } else if (std::regex_match(code, fourDigits)) {
        add(smdReading(code, "SMD code"));
    } else if (std::regex_match(code, capacitorWithLetter) && CapacitorCode::tolerance(code[3])) {
        add(capacitorReading(code));
    } else if (std::regex_match(code, eia96)) {
        add(smdReading(code, "EIA-96 code"));
    }
    // The text may also be a value written out ("4k7", "100nF"); it adds nothing when a code said the same.
    // Values are printed up to giga; a tera-ohm or tera-farad is no part's marking.
    if (auto q = ValueReader::read(text, nullptr); q && q->value > 0 && q->value < 1e12) {
        const bool said = std::any_of(out.begin(), out.end(), [&](const Reading& r) {
            return sameValue(r.value, q->value) && (q->unit == Unit::None || q->unit == r.unit);
        });
        if (!said) out.push_back(reading("value", q->value, q->unit, std::nullopt));
    }
    return out;
}
