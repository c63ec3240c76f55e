// Every encoder against the decoder of its marking: decode(encode(v)) == v for every value of E3 … E192 over
// the decades the marking covers.
#include <gtest/gtest.h>

#include "core/bench/BandEncoder.h"
#include "core/bench/CapacitorEncoder.h"
#include "core/bench/ESeries.h"
#include "core/bench/SmdEncoder.h"
#include "core/decoders/CapacitorCode.h"
#include "core/decoders/InductorCode.h"
#include "core/decoders/ResistorCode.h"
#include "core/decoders/SmdCode.h"

namespace {

// Calls `f(series, value)` for every value of every series in the decades [first, last] (10^decade ≤ value).
template <typename F>
void everyValue(int first, int last, double unit, F&& f) {
    for (const ESeries* s : ESeries::all())
        for (int d = first; d <= last; ++d)
            for (size_t i = 0; i < s->mantissas().size(); ++i) f(*s, s->value(static_cast<int>(i), d) * unit);
}

double decoded(const BandReading& r) {
    const auto* v = std::get_if<BandValue>(&r);
    return v ? v->value : -1;
}

TEST(EncoderRoundTrip, DecodersReadBackEveryEncodedSeriesValue) {
    int checked = 0;
    // Resistor bands: silver … white multipliers, so 0.1 Ω … 99 GΩ with two digits, 1 Ω … 999 GΩ with three.
    everyValue(-1, 11, 1, [&](const ESeries& s, double v) {
        for (int bands : {3, 4, 5, 6}) {
            const bool twoDigits = bands <= 4;
            auto b = BandEncoder::resistor(v, bands, bands == 3 ? std::nullopt : std::optional(0.05),
                                           bands == 6 ? std::optional(50) : std::nullopt, nullptr);
            // Two digits cannot hold the three-digit series; the smallest multiplier is silver.
            if (!b) {
                EXPECT_TRUE((twoDigits && s.mantissas().size() > 24) || v < (twoDigits ? 0.1 : 1) ||
                            v >= (twoDigits ? 1e11 : 1e12))
                    << v << " in " << bands << " bands";
                continue;
            }
            const BandReading r = ResistorCode::decode(*b);
            EXPECT_TRUE(sameValue(decoded(r), v)) << v << " in " << bands << " bands";
            if (const auto* value = std::get_if<BandValue>(&r)) {
                EXPECT_EQ(value->tolerancePercent, bands == 3 ? 20 : 0.05) << v;
                EXPECT_EQ(value->ppm, bands == 6 ? std::optional(50) : std::nullopt) << v;
            }
            ++checked;
        }
    });
    // Inductor bands: 0.1 µH … 990 mH, two digits.
    everyValue(-7, -1, 1, [&](const ESeries&, double v) {
        auto b = BandEncoder::inductor(v, 5.0, nullptr);
        if (!b) return;
        const BandReading r = InductorCode::decode(*b);
        EXPECT_TRUE(sameValue(decoded(r), v)) << v;
        if (const auto* value = std::get_if<BandValue>(&r)) EXPECT_EQ(value->tolerancePercent, 5) << v;
        ++checked;
    });
    // SMD codes: three digits and four digits from 0.1 Ω to 999 MΩ, EIA-96 for E96 values 0.1 Ω … 97.6 MΩ.
    everyValue(-1, 8, 1, [&](const ESeries& s, double v) {
        const bool e96 = ESeries::named("E96")->contains(v);
        for (auto code : {SmdEncoder::threeDigit(v), SmdEncoder::fourDigit(v), SmdEncoder::eia96(v)}) {
            if (!code) continue;
            const auto result = SmdCode::read(*code);
            const auto* r = result ? std::get_if<SmdCode::Reading>(&*result) : nullptr;
            ASSERT_TRUE(r && r->ohms) << v << " " << *code;
            EXPECT_TRUE(sameValue(*r->ohms, v)) << v << " " << *code << " → " << *r->ohms;
            ++checked;
        }
        EXPECT_TRUE(SmdEncoder::fourDigit(v)) << v;
        EXPECT_EQ(SmdEncoder::eia96(v).has_value(), e96 && v < 1e8) << v;
        EXPECT_TRUE(s.mantissas().size() > 24 || SmdEncoder::threeDigit(v)) << v;
    });
    // Capacitor codes: 0.1 pF … 990 µF, two digits.
    everyValue(-13, -4, 1, [&](const ESeries& s, double v) {
        auto code = CapacitorEncoder::code(v, std::string("10"), nullptr);
        EXPECT_TRUE(code || s.mantissas().size() > 24) << v;
        if (!code) return;
        const auto c = CapacitorCode::read(*code, nullptr);
        ASSERT_TRUE(c) << *code;
        EXPECT_TRUE(sameValue(c->farads, v)) << v << " → " << *code;
        EXPECT_EQ(c->letter, "K");
        ++checked;
    });
    EXPECT_GT(checked, 9000);
}

TEST(EncoderRoundTrip, ErrorsSayWhichFormHoldsTheValue) {
    struct Case {
        double value;
        int bands;
        std::optional<double> tolerance;
        std::optional<int> ppm;
        const char* result;  // bands joined by spaces, or the message
    } cases[] = {
        {4700, 4, std::nullopt, std::nullopt, "yellow violet red gold"},
        {4.7, 4, 10.0, std::nullopt, "yellow violet gold silver"},
        {0.1, 3, std::nullopt, std::nullopt, "brown black silver"},
        {4750, 5, 0.05, std::nullopt, "yellow violet green brown grey"},
        {1000, 6, 1.0, 15, "brown black black brown brown orange"},
        {4750, 4, std::nullopt, std::nullopt, "4.75 kΩ needs three significant digits: use 5 bands"},
        {4753, 5, std::nullopt, std::nullopt, "4.753 kΩ needs four significant digits: no colour code holds it"},
        {0.47, 5, std::nullopt, std::nullopt, "470 mΩ is below the smallest value 5 bands show (1 Ω)"},
        {4700, 3, 5.0, std::nullopt, "3 bands carry no tolerance band (20 %): use 4 bands for 5 %"},
        {4700, 4, 3.0, std::nullopt, "no colour stands for a tolerance of 3 %: use one of 1, 2, 0.5, 0.25, 0.1, 0.05, 5, 10, 20"},
        {4700, 4, std::nullopt, 100, "a temperature coefficient needs 6 bands"},
        {4700, 7, std::nullopt, std::nullopt, "a resistor has 3, 4, 5 or 6 bands, not 7"},
        {0, 4, std::nullopt, std::nullopt, "0 Ω has no colour code: give a value above zero"},
        // Silver (×0.01) and white (×10^9), the smallest and largest multipliers, and a step past each.
        {0.1, 4, std::nullopt, std::nullopt, "brown black silver gold"},
        {99e9, 4, std::nullopt, std::nullopt, "white white white gold"},
        {1, 5, std::nullopt, std::nullopt, "brown black black silver brown"},
        {999e9, 5, std::nullopt, std::nullopt, "white white white white brown"},
        {0.01, 4, std::nullopt, std::nullopt, "10 mΩ is below the smallest value 4 bands show (100 mΩ)"},
        {100e9, 4, std::nullopt, std::nullopt, "100 GΩ is above the largest value 4 bands show (99 GΩ)"},
        {0.1, 5, std::nullopt, std::nullopt, "100 mΩ is below the smallest value 5 bands show (1 Ω)"},
        {1e12, 6, std::nullopt, std::nullopt, "1000 GΩ is above the largest value 6 bands show (999 GΩ)"},
    };
    for (const auto& c : cases) {
        std::string error;
        auto b = BandEncoder::resistor(c.value, c.bands, c.tolerance, c.ppm, &error);
        std::string joined;
        if (b)
            for (const auto& name : *b) joined += (joined.empty() ? "" : " ") + name;
        EXPECT_EQ(b ? joined : error, c.result) << c.value;
    }
    // The smallest and largest multipliers of each code, and a step past each.
    struct Code {
        std::optional<std::string> (*encode)(double);
        double ohms;
        const char* code;  // empty: none
    } codes[] = {
        {SmdEncoder::threeDigit, 0.1, "R10"}, {SmdEncoder::threeDigit, 10, "100"}, {SmdEncoder::threeDigit, 9.9, "9R9"},
        {SmdEncoder::threeDigit, 99e7, "997"}, {SmdEncoder::threeDigit, 1e9, ""},   {SmdEncoder::fourDigit, 99.9, "99R9"},
        {SmdEncoder::fourDigit, 100, "1000"},  {SmdEncoder::fourDigit, 999e6, "9996"}, {SmdEncoder::fourDigit, 1e9, ""},
        {SmdEncoder::eia96, 0.1, "01Z"},       {SmdEncoder::eia96, 97.6e6, "96F"},  {SmdEncoder::eia96, 1e8, ""},
        {SmdEncoder::eia96, 0.0976, ""},       {SmdEncoder::eia96, 1.02, "02Y"},    {SmdEncoder::eia96, 105e3, "03D"},
        {SmdEncoder::threeDigit, 4.7, "4R7"},  {SmdEncoder::threeDigit, 4750, ""},  {SmdEncoder::fourDigit, 47.5, "47R5"},
        {SmdEncoder::eia96, 10000, "01C"},
    };
    for (const auto& c : codes) EXPECT_EQ(c.encode(c.ohms).value_or(""), c.code) << c.ohms;
    // The capacitor code's range, its smallest multipliers (8: ×0.01, 9: ×0.1) and a tolerance letter.
    struct Capacitor {
        double farads;
        std::optional<std::string> tolerance;
        const char* result;  // the code or the message
    } capacitors[] = {
        {1e-12, {}, "109"}, {9.9e-6, {}, "995"}, {1e-5, {}, "106"}, {990e-6, {}, "997"}, {0.9e-12, {}, "908"},
        {0.1e-12, {}, "108"}, {4.7e-12, {}, "479"}, {100e-9, "k", "104K"},
        {1e-3, {}, "1 mF is outside what the capacitor code shows (0.1 pF to 990 µF)"},
        {0.09e-12, {}, "0.09 pF is outside what the capacitor code shows (0.1 pF to 990 µF)"},
        {4.75e-9, {}, "4.75 nF needs three significant digits: the capacitor code holds two"},
    };
    std::string error;
    for (const auto& c : capacitors)
        EXPECT_EQ(CapacitorEncoder::code(c.farads, c.tolerance, &error).value_or(error), c.result) << c.farads;
    // A percentage names the letter of that symmetric tolerance; B, C, D (picofarads), P and Z name none.
    for (const auto& [percent, letter] : {std::pair{"0.5", 'E'}, {"1", 'F'}, {"2", 'G'}, {"3", 'H'}, {"5", 'J'}, {"20", 'M'}, {"30", 'N'}})
        EXPECT_EQ(CapacitorEncoder::toleranceLetter(percent, &error).value_or('?'), letter) << percent;
    EXPECT_FALSE(CapacitorEncoder::toleranceLetter("0.25", &error));
    EXPECT_FALSE(CapacitorEncoder::code(1e-9, std::string("Q"), &error));
}

}  // namespace
