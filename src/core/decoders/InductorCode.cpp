#include "core/decoders/InductorCode.h"

#include "core/bench/ColourCode.h"
#include "core/bench/SignificantDigits.h"
#include "platform/Format.h"

namespace {

using Problem = BandRefusal::Problem;

BandRefusal refuse(Problem p, size_t band) { return {p, static_cast<int>(band)}; }

// On inductors black is a tolerance band of 20 %, as no band is.
std::optional<double> toleranceOf(const ColourCode::Colour& c) {
    return std::string(c.name) == "black" ? std::optional(20.0) : c.tolerance;
}

std::string line(const std::string& value, const std::string& unit, double tolerance) {
    return format("Inductance: %@ %@ +-%@%%", value, unit, percentFigure(tolerance));
}

}  // namespace

BandReading InductorCode::decode(const std::vector<std::string>& names) {
    const size_t n = names.size();
    if (n != 3 && n != 4) return refuse(Problem::BandCount, n);
    std::vector<const ColourCode::Colour*> bands;
    for (size_t i = 0; i < n; ++i) {
        const auto* c = ColourCode::named(names[i]);
        if (!c) return refuse(Problem::UnknownColour, i);
        bands.push_back(c);
    }
    if (!bands[0]->digit || *bands[0]->digit == 0) return refuse(Problem::NotADigit, 0);
    if (!bands[1]->digit) return refuse(Problem::NotADigit, 1);
    if (!bands[2]->multiplier) return refuse(Problem::NotAMultiplier, 2);
    BandValue v;
    v.digits = *bands[0]->digit * 10 + *bands[1]->digit;
    v.exponent = *bands[2]->multiplier;
    v.value = SignificantDigits{v.digits, v.exponent - 6}.value();
    if (n == 4) {
        const auto tolerance = toleranceOf(*bands[3]);
        if (!tolerance) return refuse(Problem::NotATolerance, 3);
        v.tolerancePercent = *tolerance;
    }
    return v;
}

std::string InductorCode::text(const BandValue& v) {
    if (v.exponent == -2) return line(format("%.3f", static_cast<double>(v.digits) * 0.01), "uH", v.tolerancePercent);
    static const char* const units[] = {"uH", "mH", "H"};
    std::string value;
    const std::string unit = placedInUnits(v.digits, v.exponent, units, 3, value);
    return line(value, unit, v.tolerancePercent);
}

const std::vector<std::vector<std::string>>& InductorCode::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Gold", "Silver"},
        {"none", "Black", "Gold", "Silver"},
    };
    return rows;
}

std::string InductorCode::wheelText(int r0, int r1, int r2, int r3) {
    const auto& w = wheels();
    // The digits as the wheels give them: a first wheel without a selection counts as the digit 0.
    const int d1 = r0 + 1, d2 = r1;
    const int n = 10 * d1 + d2;
    if (n == 0) return "Inductance: 0 uH";
    const bool toleranceRow = r3 >= 0 && r3 < static_cast<int>(w[3].size());
    const double tolerance = *toleranceOf(*ColourCode::named(toleranceRow ? w[3][static_cast<size_t>(r3)] : "none"));
    if (r2 < 0 || r2 >= static_cast<int>(w[2].size())) return line("", "mH", tolerance);
    BandValue v;
    v.digits = n;
    v.exponent = *ColourCode::named(w[2][static_cast<size_t>(r2)])->multiplier;
    v.tolerancePercent = tolerance;
    v.value = SignificantDigits{n, v.exponent - 6}.value();
    return text(v);
}
