// Capacitor and SMD codes and the standard values, against values worked out by hand: the code's digits times
// its multiplier, the E96 table of IEC 60063, the screen's value lists.
#include <gtest/gtest.h>

#include <string>

#include "core/bench/ESeries.h"
#include "core/decoders/CapacitorCode.h"
#include "core/decoders/SmdCode.h"
#include "core/decoders/StandardValues.h"

namespace {

TEST(CapacitorCode, ReadsEveryMultiplierAndLetter) {
    using R = CapacitorCode::Refusal;
    struct Case {
        const char* code;
        double farads;  // negative: refused with `refusal`
        const char* letter;
        double minus, plus;  // percent, or pF for B C D
        R refusal = R::Length;
    } cases[] = {
        {"474K", 470e-9, "K", 10, 10},
        {"474k", 470e-9, "K", 10, 10},
        {"106", 10e-6, "", 0, 0},
        {"107", 100e-6, "", 0, 0},
        {"997", 990e-6, "", 0, 0},
        {"109", 1e-12, "", 0, 0},
        {"478", 0.47e-12, "", 0, 0},
        {"108", 0.1e-12, "", 0, 0},
        {"104Z", 100e-9, "Z", 20, 80},
        {"105P", 1e-6, "P", 0, 100},
        {"220C", 22e-12, "C", 0.25, 0.25},
        {"471N", 470e-12, "N", 30, 30},
        {"074", -1, "", 0, 0, R::FirstDigit},
        {"x74", -1, "", 0, 0, R::FirstDigit},
        {"4x4", -1, "", 0, 0, R::SecondDigit},
        {"47a", -1, "", 0, 0, R::Multiplier},
        {"474Q", -1, "", 0, 0, R::Letter},
        {"47", -1, "", 0, 0, R::Length},
        {"4747K", -1, "", 0, 0, R::Length},
    };
    for (const Case& c : cases) {
        R refusal{};
        const auto r = CapacitorCode::read(c.code, &refusal);
        if (c.farads < 0) {
            EXPECT_FALSE(r) << c.code;
            EXPECT_EQ(refusal, c.refusal) << c.code;
            continue;
        }
        ASSERT_TRUE(r) << c.code;
        EXPECT_TRUE(sameValue(r->farads, c.farads)) << c.code << " " << r->farads;
        EXPECT_EQ(r->letter, c.letter) << c.code;
        if (!*c.letter) {
            EXPECT_EQ(r->tolerance, nullptr) << c.code;
            continue;
        }
        ASSERT_NE(r->tolerance, nullptr) << c.code;
        EXPECT_EQ(r->tolerance->minus, c.minus) << c.code;
        EXPECT_EQ(r->tolerance->plus, c.plus) << c.code;
    }
}

TEST(CapacitorCode, CodesBeyondTheWheelsInTheScreensForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"106", "Selected capacitor: <B>106 </B><BR/><B>Capacitance:</B><BR/>10000000 pF<BR/>10000 nF<BR/>10 uF"},
        {"477M", "Selected capacitor: <B>477M</B><BR/><B>Capacitance:</B><BR/>470000000 pF<BR/>470000 nF<BR/>470 uF"
                 "<BR/><B>Tolerance:</B> +/- 20%"},
        {"478", "Selected capacitor: <B>478 </B><BR/><B>Capacitance:</B><BR/>0.47 pF<BR/>0.00047 nF<BR/>0.00000047 uF"},
        {"108", "Selected capacitor: <B>108 </B><BR/><B>Capacitance:</B><BR/>0.1 pF<BR/>0.0001 nF<BR/>0.0000001 uF"},
        // A code the wheels hold reads as the screen shows it.
        {"104", "Selected capacitor: <B>104 </B><BR/><B>Capacitance:</B><BR/>100000 pF<BR/>100 nF<BR/>0.1 uF"},
    };
    for (const auto& [code, html] : cases) {
        const auto r = CapacitorCode::read(code, nullptr);
        ASSERT_TRUE(r) << code;
        EXPECT_EQ(CapacitorCode::html(*r), html) << code;
    }
    EXPECT_EQ(CapacitorCode::html(*CapacitorCode::read("104", nullptr)), CapacitorCode::wheelHtml("1", "0", "4", " "));
}

TEST(SmdCode, ReadsMarkingsStrictly) {
    using Refusal = SmdCode::Refusal;
    struct Case {
        const char* marking;
        double ohms;  // negative: refused by the screen's rule; -2: no marking at all
        const char* text;
    } cases[] = {
        {"4R7", 4.7, "Results: 4.7 Ohm"},
        {"r47", 0.47, "Results: .47 Ohm"},
        {"47R", 47, "Results: 47. Ohm"},
        {"4K7", 4700, "Results: 4.7 KOhm"},
        {"4k7", 4700, "Results: 4.7 KOhm"},
        {"1M0", 1e6, "Results: 1.0 MOhm"},
        {"47K", 47e3, "Results: 47 KOhm"},
        {"K47", 470, "Results: 0.47 KOhm"},
        {"472", 4700, "Results: 4.7 KOhm"},
        {"000", 0, "Results: 0 Ohm"},
        {"107", 100e6, "Results: 100 MOhm"},
        {"4501", 4500, "Results: 4.500 KOhm"},
        {"1002", 10e3, "Results: 10.0 KOhm"},
        {"1006", 100e6, "Results: 100 MOhm"},
        {"01C", 10e3, "Results: 10.0 KOhm"},
        {"48c", 30.9e3, "Results: 30.9 KOhm"},
        {"96F", 97.6e6, "Results: 97.6 MOhm"},
        {"01Z", 0.1, "Results: 0.100 Ohm"},
        {"108", -1, "Value too big for SMD"},
        {"1007", -1, "Value too big for SMD"},
        {"97A", -1, "Result: incorrect value"},
        {"00B", -1, "Result: incorrect value"},
        {"xyz", -2, ""},
        {"ABC", -2, ""},
        {"01G", -2, ""},
        {"-12", -2, ""},
        {"-R47", -2, ""},
        {"R", -2, ""},
        {"4R7R", -2, ""},
        {"4K7M", -2, ""},
        {"47", -2, ""},
        {"47021", -2, ""},
        {"", -2, ""},
    };
    for (const Case& c : cases) {
        const auto result = SmdCode::read(c.marking);
        if (c.ohms == -2) {
            EXPECT_FALSE(result) << c.marking;
            continue;
        }
        ASSERT_TRUE(result) << c.marking;
        EXPECT_EQ(SmdCode::text(*result), c.text) << c.marking;
        const auto* r = std::get_if<SmdCode::Reading>(&*result);
        EXPECT_EQ(r != nullptr, c.ohms >= 0) << c.marking;
        if (r) EXPECT_TRUE(r->ohms && sameValue(*r->ohms, c.ohms)) << c.marking;
    }
    EXPECT_EQ(std::get<Refusal>(*SmdCode::read("109")), Refusal::TooBig);
}

TEST(StandardValues, NeighboursOfAnyResistance) {
    struct Case {
        double ohms;
        std::uint64_t lower, upper;  // 0: out of range
        bool exact;
    } cases[] = {
        {4.7, 3, 10, false},          {4700, 4300, 4700, true},   {4750, 4700, 5100, false},
        {999.5, 910, 1000, false},    {9999.5, 9100, 10000, false}, {1000, 1000, 1000, true},
        {1e7, 9100000, 10000000, true}, {1, 1, 2, false},         {0.5, 0, 0, false},
        {10000000.5, 0, 0, false},
    };
    for (const Case& c : cases) {
        const auto n = StandardValues::around(c.ohms);
        EXPECT_EQ(n.has_value(), c.upper != 0) << c.ohms;
        if (!n) continue;
        EXPECT_EQ(n->lower, c.lower) << c.ohms;
        EXPECT_EQ(n->upper, c.upper) << c.ohms;
        EXPECT_EQ(n->exact(), c.exact) << c.ohms;
    }
    EXPECT_EQ(StandardValues::text(*StandardValues::around(4.7)), "Nearest value: 3 or 10 Ohms");
}

}  // namespace
