// Colour bands against values worked out by hand from the IEC 60062 colour table: digits times 10 to the
// multiplier's power, tolerance and temperature coefficient by colour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <strings.h>
#include <string>
#include <vector>

#include "core/bench/ColourCode.h"
#include "core/bench/ESeries.h"
#include "core/decoders/InductorCode.h"
#include "core/decoders/ResistorCode.h"

namespace {

using Problem = BandRefusal::Problem;

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

struct Row {
    const char* bands;
    double value;  // base units; negative: refused
    double tolerance;
    std::optional<int> ppm;
    const char* text;  // the line, or for a refusal the problem's band (1-based) as text
    Problem problem = Problem::BandCount;
};

// Each row read by `Code`: the value, tolerance, coefficient and line, or the problem and its band.
template <typename Code, size_t N>
void checkRows(const Row (&rows)[N]) {
    for (const Row& r : rows) {
        const BandReading reading = Code::decode(split(r.bands));
        if (r.value < 0) {
            const auto* refusal = std::get_if<BandRefusal>(&reading);
            ASSERT_TRUE(refusal) << r.bands;
            EXPECT_EQ(refusal->problem, r.problem) << r.bands;
            EXPECT_EQ(std::to_string(refusal->band + 1), r.text) << r.bands;
            continue;
        }
        const auto* v = std::get_if<BandValue>(&reading);
        ASSERT_TRUE(v) << r.bands;
        EXPECT_TRUE(sameValue(v->value, r.value)) << r.bands << ": " << v->value;
        EXPECT_EQ(v->tolerancePercent, r.tolerance) << r.bands;
        EXPECT_EQ(v->ppm, r.ppm) << r.bands;
        EXPECT_EQ(Code::text(*v), r.text) << r.bands;
    }
}

TEST(ResistorCode, EveryBandOfTheColourCode) {
    const Row rows[] = {
        {"yellow violet red gold", 4700, 5, {}, "Resistance: 4.7 KOhm +-5%"},
        {"yellow violet gold gold", 4.7, 5, {}, "Resistance: 4.7 Ohm +-5%"},
        {"yellow violet silver silver", 0.47, 10, {}, "Resistance: 0.47 Ohm +-10%"},
        {"brown black black silver brown", 1.00, 1, {}, "Resistance: 1.00 Ohm +-1%"},
        {"brown black black gold brown", 10.0, 1, {}, "Resistance: 10.0 Ohm +-1%"},
        {"yellow violet grey", 4.7e9, 20, {}, "Resistance: 4700 MOhm +-20%"},
        {"white white white gold", 99e9, 5, {}, "Resistance: 99000 MOhm +-5%"},
        {"white white white white", -1, 0, {}, "4", Problem::NotATolerance},
        {"Gray Red Orange", 82e3, 20, {}, "Resistance: 82 KOhm +-20%"},
        {"brown black black brown green", 1000, 0.5, {}, "Resistance: 1.00 KOhm +-0.5%"},
        {"brown black black brown blue", 1000, 0.25, {}, "Resistance: 1.00 KOhm +-0.25%"},
        {"brown black black brown violet", 1000, 0.1, {}, "Resistance: 1.00 KOhm +-0.1%"},
        {"brown black black brown grey", 1000, 0.05, {}, "Resistance: 1.00 KOhm +-0.05%"},
        {"brown black black brown brown black", 1000, 1, 250, "Resistance: 1.00 KOhm +-1%, 250ppm"},
        {"brown black black brown brown green", 1000, 1, 20, "Resistance: 1.00 KOhm +-1%, 20ppm"},
        {"brown black black brown brown blue", 1000, 1, 10, "Resistance: 1.00 KOhm +-1%, 10ppm"},
        {"brown black black brown brown violet", 1000, 1, 5, "Resistance: 1.00 KOhm +-1%, 5ppm"},
        {"brown black black brown brown grey", 1000, 1, 1, "Resistance: 1.00 KOhm +-1%, 1ppm"},
        {"brown black black brown brown none", 1000, 1, {}, "Resistance: 1.00 KOhm +-1%"},
        {"brown black none red gold", 1000, 5, {}, "Resistance: 1.0 KOhm +-5%"},  // the wheel's missing third digit
        {"red red red none", 2200, 20, {}, "Resistance: 2.2 KOhm +-20%"},
        {"orange orange black white red", 330e9, 2, {}, "Resistance: 330000 MOhm +-2%"},
        {"black violet red gold", -1, 0, {}, "1", Problem::NotADigit},
        {"gold violet red gold", -1, 0, {}, "1", Problem::NotADigit},
        {"yellow none red gold", -1, 0, {}, "2", Problem::NotADigit},
        {"yellow purple red gold", -1, 0, {}, "2", Problem::UnknownColour},
        {"yellow violet none gold", -1, 0, {}, "3", Problem::NotAMultiplier},
        {"yellow violet red black", -1, 0, {}, "4", Problem::NotATolerance},
        {"yellow violet red orange", -1, 0, {}, "4", Problem::NotATolerance},
        {"yellow violet black red gold white", -1, 0, {}, "6", Problem::NotATemperatureCoefficient},
        {"yellow violet", -1, 0, {}, "3", Problem::BandCount},
        {"red red red red red red red", -1, 0, {}, "8", Problem::BandCount},
    };
    checkRows<ResistorCode>(rows);
}

TEST(InductorCode, EveryBandOfTheColourCode) {
    const Row rows[] = {
        {"yellow violet red gold", 4.7e-3, 5, {}, "Inductance: 4.7 mH +-5%"},
        {"yellow violet silver none", 0.47e-6, 20, {}, "Inductance: 0.470 uH +-20%"},
        {"yellow violet gold black", 4.7e-6, 20, {}, "Inductance: 4.7 uH +-20%"},
        {"brown black green silver", 1.0, 10, {}, "Inductance: 1.0 H +-10%"},
        {"brown black white", 10e3, 20, {}, "Inductance: 10000 H +-20%"},
        {"red red blue brown", 22.0, 1, {}, "Inductance: 22 H +-1%"},
        {"red red black grey", 22e-6, 0.05, {}, "Inductance: 22 uH +-0.05%"},
        {"black red black gold", -1, 0, {}, "1", Problem::NotADigit},
        {"red gold black gold", -1, 0, {}, "2", Problem::NotADigit},
        {"red red none gold", -1, 0, {}, "3", Problem::NotAMultiplier},
        {"red red red orange", -1, 0, {}, "4", Problem::NotATolerance},
        {"red red red pink", -1, 0, {}, "4", Problem::UnknownColour},
        {"red red red gold gold", -1, 0, {}, "6", Problem::BandCount},
    };
    checkRows<InductorCode>(rows);
}

// The number and unit of a line ("Resistance: 4.7 KOhm +-5%") as a value, to check where the digits were placed.
double shownValue(const std::string& line, const std::string& lead) {
    const size_t start = line.find(lead) + lead.size();
    const size_t space = line.find(' ', start);
    const std::string unit = line.substr(space + 1, line.find(' ', space + 1) - space - 1);
    const double scale = unit == "KOhm" ? 1e3 : unit == "MOhm" ? 1e6 : 1;
    return std::strtod(line.substr(start, space - start).c_str(), nullptr) * scale;
}

// Every set of 3 to 6 bands the code allows: the value is the digits times the multiplier, the line shows that
// value, and for a set the resistor screen's wheels hold, the line is the screen's.
TEST(ResistorCode, EverySetReadsAsItsDigitsTimesItsMultiplier) {
    std::vector<const char*> digits, multipliers, tolerances, coefficients;
    for (const auto& c : ColourCode::colours()) {
        if (c.digit) digits.push_back(c.name);
        if (c.multiplier) multipliers.push_back(c.name);
        if (c.tolerance) tolerances.push_back(c.name);
        if (c.temperatureCoefficient) coefficients.push_back(c.name);
    }
    int checked = 0, onWheels = 0;
    const auto& wheels = ResistorCode::wheels();
    auto rowOf = [&](size_t wheel, std::string name) {
        if (name == "grey") name = "gray";
        for (size_t r = 0; r < wheels[wheel].size(); ++r)
            if (strcasecmp(wheels[wheel][r].c_str(), name.c_str()) == 0) return static_cast<int>(r);
        return -1;
    };
    for (const char* d1 : digits)
        for (const char* d2 : digits)
            for (const char* m : multipliers)
                for (const char* t : tolerances) {
                    if (std::string(d1) == "black") continue;
                    const int n = 10 * *ColourCode::named(d1)->digit + *ColourCode::named(d2)->digit;
                    const int e = *ColourCode::named(m)->multiplier;
                    const auto reading = ResistorCode::decode({d1, d2, m, t});
                    const auto& v = std::get<BandValue>(reading);
                    const double expected = n * std::pow(10.0, e);
                    EXPECT_TRUE(sameValue(v.value, expected)) << d1 << d2 << m;
                    const std::string line = ResistorCode::text(v);
                    EXPECT_TRUE(sameValue(shownValue(line, "Resistance: "), expected)) << line;
                    const int rows[] = {rowOf(0, d1), rowOf(1, d2), rowOf(3, m), rowOf(4, t)};
                    if (rows[0] >= 0 && rows[1] >= 0 && rows[2] >= 0 && rows[3] >= 0) {
                        EXPECT_EQ(line, ResistorCode::wheelText(rows[0], rows[1], 0, rows[2], rows[3], 0));
                        ++onWheels;
                    }
                    ++checked;
                }
    EXPECT_EQ(checked, 9 * 10 * 12 * 9);
    EXPECT_EQ(onWheels, 9 * 10 * 8 * 5);
}

}  // namespace
