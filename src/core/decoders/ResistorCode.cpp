#include "core/decoders/ResistorCode.h"

#include "core/bench/ColourCode.h"
#include "core/bench/SignificantDigits.h"
#include "platform/Format.h"

namespace {

using Problem = BandRefusal::Problem;

BandRefusal refuse(Problem p, size_t band) { return {p, static_cast<int>(band)}; }

std::string line(const std::string& value, const std::string& unit, double tolerance, std::optional<int> ppm) {
    const std::string head = format("Resistance: %@ %@ +-%@%%", value, unit, percentFigure(tolerance));
    return ppm ? head + format(", %dppm", *ppm) : head;
}

// The row's text, or `fallback` for a row the wheel does not have.
std::string rowOr(const std::vector<std::string>& wheel, int row, const char* fallback) {
    return row >= 0 && row < static_cast<int>(wheel.size()) ? wheel[static_cast<size_t>(row)] : fallback;
}

}  // namespace

BandReading ResistorCode::decode(const std::vector<std::string>& names) {
    const size_t n = names.size();
    if (n < 3 || n > 6) return refuse(Problem::BandCount, n);
    std::vector<const ColourCode::Colour*> bands;
    for (size_t i = 0; i < n; ++i) {
        const auto* c = ColourCode::named(names[i]);
        if (!c) return refuse(Problem::UnknownColour, i);
        bands.push_back(c);
    }
    const size_t multiplierBand = n <= 4 ? 2 : 3;
    int digits = 0;
    for (size_t i = 0; i < multiplierBand; ++i) {
        // The third digit's wheel offers "none": the resistor then has two significant digits.
        if (i == 2 && std::string(bands[i]->name) == "none") continue;
        if (!bands[i]->digit || (i == 0 && *bands[i]->digit == 0)) return refuse(Problem::NotADigit, i);
        digits = digits * 10 + *bands[i]->digit;
    }
    BandValue v;
    v.digits = digits;
    if (!bands[multiplierBand]->multiplier) return refuse(Problem::NotAMultiplier, multiplierBand);
    v.exponent = *bands[multiplierBand]->multiplier;
    v.value = SignificantDigits{digits, v.exponent}.value();
    if (n >= 4) {
        const auto* t = bands[multiplierBand + 1];
        if (!t->tolerance) return refuse(Problem::NotATolerance, multiplierBand + 1);
        v.tolerancePercent = *t->tolerance;
    }
    if (n == 6 && std::string(bands[5]->name) != "none") {
        if (!bands[5]->temperatureCoefficient) return refuse(Problem::NotATemperatureCoefficient, 5);
        v.ppm = bands[5]->temperatureCoefficient;
    }
    return v;
}

std::string ResistorCode::text(const BandValue& v) {
    // The screen stops at MOhm: 9990 MOhm, not 9.99 GOhm.
    static const char* const units[] = {"Ohm", "KOhm", "MOhm"};
    std::string value;
    const std::string unit = placedInUnits(v.digits, v.exponent, units, 3, value);
    return line(value, unit, v.tolerancePercent, v.ppm);
}

const std::vector<std::vector<std::string>>& ResistorCode::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"none", "Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet"},
        {"none", "Silver", "Gold", "Brown", "Red"},
        {"none", "Brown", "Red", "Orange", "Yellow"},
    };
    return rows;
}

std::string ResistorCode::wheelText(int r0, int r1, int r2, int r3, int r4, int r5) {
    const auto& w = wheels();
    const std::string d1 = rowOr(w[0], r0, ""), d2 = rowOr(w[1], r1, ""), d3 = rowOr(w[2], r2, "");
    if (d1.empty() || d2.empty() || d3.empty()) return "Resistance: colors are not correct";
    const bool noMultiplier = r3 < 0 || r3 >= static_cast<int>(w[3].size());
    const BandReading r = decode({d1, d2, d3, noMultiplier ? "Black" : w[3][static_cast<size_t>(r3)],
                                  rowOr(w[4], r4, "none"), rowOr(w[5], r5, "none")});
    const BandValue& v = std::get<BandValue>(r);  // every wheel row is a colour of its band
    return noMultiplier ? line("", "Ohm", v.tolerancePercent, v.ppm) : text(v);
}
