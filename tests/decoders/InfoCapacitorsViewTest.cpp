#include "decoders/InfoCapacitorsView.h"

#include <gtest/gtest.h>

#include "core/decoders/CapacitorCode.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "app/ScreenFactory.h"

namespace {

std::string fragment(const std::string& code, const std::string& pF, const std::string& nF, const std::string& uF,
                     const std::string& tolerance = "") {
    std::string html = "Selected capacitor: <B>" + code + "</B><BR/><B>Capacitance:</B><BR/>" + pF + " pF<BR/>" + nF +
                       " nF<BR/>" + uF + " uF";
    if (!tolerance.empty()) html += "<BR/><B>Tolerance:</B> " + tolerance;
    return html;
}

// The number written before `unit` in a fragment ("470 nF" -> 470).
double valueBefore(const std::string& html, const std::string& unit) {
    size_t end = html.find(" " + unit);
    size_t start = html.rfind("<BR/>", end) + 5;
    return std::strtod(html.substr(start, end - start).c_str(), nullptr);
}

struct Opened {
    InfoCapacitorsView screen;
    Opened() { screen.loadViewIfNeeded(); }
    void turn(int r0, int r1, int r2, int r3) {
        const int rows[] = {r0, r1, r2, r3};
        for (int c = 0; c < 4; ++c) screen.m_cPickerView.userSelectRow(rows[c], c);
    }
    const std::string& html() const { return screen.m_cResultsHTMLView.html(); }
};

TEST(InfoCapacitorsView, OpensOnCode109WithoutToleranceLine) {
    Opened o;
    EXPECT_EQ(o.screen.m_cResultsHTMLView.source(), WebView::Source::Html);
    EXPECT_EQ(o.screen.m_cResultsHTMLView.baseURL(), "");
    EXPECT_EQ(o.html(), fragment("109 ", "1.0", "0.001", "0.000001"));
}

TEST(InfoCapacitorsView, WheelsGiveTheFragmentOfTheCode) {
    struct Case {
        int r0, r1, r2, r3;
        std::string code, pF, nF, uF, tolerance;
    };
    const Case cases[] = {
        {3, 7, 5, 6, "474K", "470000", "470", "0.47", "+/- 10%"},
        {0, 0, 5, 0, "104 ", "100000", "100", "0.1", ""},       // the digits 10 use their own texts
        {0, 0, 6, 0, "105 ", "1000000", "1000", "1.0", ""},     // … except with x100000
        {1, 2, 1, 0, "220 ", "22", "0.022", "0.000022", ""},
        {3, 7, 0, 0, "479 ", "4.7", "0.0047", "0.0000047", ""},  // x0.1: one more decimal place in uF
        {0, 0, 1, 0, "100 ", "10", "0.01", "0.00001", ""},
        {0, 1, 1, 0, "110 ", "11", "0.011", "0.000011", ""},
        {0, 0, 3, 0, "102 ", "1000", "1.0", "0.001", ""},
        {8, 9, 6, 13, "995N", "9900000", "9900", "9.9", "+/- 30%"},
        {2, 3, 4, 8, "333P", "33000", "33", "0.033", "+100%, -0%"},
        {5, 8, 2, 12, "681D", "680", "0.68", "0.00068", "+/- 0.5 pF"},
    };
    for (const Case& c : cases) {
        Opened o;
        o.turn(c.r0, c.r1, c.r2, c.r3);
        EXPECT_EQ(o.html(), fragment(c.code, c.pF, c.nF, c.uF, c.tolerance)) << c.code;
    }
}

// Every code the wheels can make: pF is the two digits times the multiplier, and nF and uF say the same amount.
// This catches a misplaced zero in any of the formats, the fixed texts of 10 included.
TEST(InfoCapacitorsView, EveryCodeStatesOneCapacitanceInThreeUnits) {
    const char* multipliers[] = {"9", "0", "1", "2", "3", "4", "5"};
    for (int d1 = 1; d1 <= 9; ++d1)
        for (int d2 = 0; d2 <= 9; ++d2)
            for (const char* m : multipliers) {
                const std::string html =
                    CapacitorCode::wheelHtml(std::to_string(d1), std::to_string(d2), m, " ");
                const int power = std::atoi(m) == 9 ? -1 : std::atoi(m);
                const double expected = (10 * d1 + d2) * std::pow(10.0, power);
                const double pF = valueBefore(html, "pF"), nF = valueBefore(html, "nF"), uF = valueBefore(html, "uF");
                EXPECT_NEAR(pF, expected, expected * 1e-9) << html;
                EXPECT_NEAR(nF * 1e3, expected, expected * 1e-9) << html;
                EXPECT_NEAR(uF * 1e6, expected, expected * 1e-9) << html;
            }
}

TEST(InfoCapacitorsView, ToleranceWheelRowsAndTexts) {
    Opened o;
    const std::pair<std::string, std::string> expected[] = {
        {" ", ""},           {"E", "+/- 0.5%"},    {"F", "+/- 1%"},      {"G", "+/- 2%"},      {"H", "+/- 3%"},
        {"J", "+/- 5%"},     {"K", "+/- 10%"},     {"M", "+/- 20%"},     {"P", "+100%, -0%"},  {"Z", "+80%, -20%"},
        {"B", "+/- 0.1 pF"}, {"C", "+/- 0.25 pF"}, {"D", "+/- 0.5 pF"}, {"N", "+/- 30%"},
    };
    ASSERT_EQ(o.screen.m_cPickerView.numberOfRowsInComponent(3), 14);
    for (int row = 0; row < 14; ++row) {
        const auto& [letter, text] = expected[row];
        EXPECT_EQ(o.screen.pickerViewTitleForRowForComponent(&o.screen.m_cPickerView, row, 3), letter);
        o.turn(0, 0, 0, row);
        EXPECT_EQ(o.html(), fragment("109" + letter, "1.0", "0.001", "0.000001", text)) << row;
    }
    EXPECT_EQ(CapacitorCode::toleranceText("Q"), "");
    EXPECT_EQ(CapacitorCode::toleranceText(""), "");
}

TEST(InfoCapacitorsView, WheelShapes) {
    Opened o;
    PickerView& p = o.screen.m_cPickerView;
    ASSERT_EQ(p.numberOfComponents(), 4);
    const int counts[] = {9, 10, 7, 14};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(p.numberOfRowsInComponent(c), counts[c]);
    EXPECT_EQ(o.screen.pickerViewNumberOfRowsInComponent(&p, 4), 0);
    EXPECT_EQ(o.screen.pickerViewTitleForRowForComponent(&p, 0, 4), "");
    EXPECT_EQ(o.screen.pickerViewTitleForRowForComponent(&p, 0, 2), "9");
    EXPECT_EQ(o.screen.pickerViewTitleForRowForComponent(&p, 8, 0), "9");
    // A wheel without a selection reads as an empty entry instead of running off the table.
    o.screen.ShowResults(-1, 0, 0, 0);
    EXPECT_EQ(o.html(), fragment("009 ", "0.0", "0.0000", "0.0000000"));
}

TEST(InfoCapacitorsView, BackDismissesAndTheMenuKnowsTheDecoderScreens) {
    Opened o;
    EXPECT_TRUE(o.screen.hasAction("onButtonBack"));
    for (const char* name : {"InfoCapacitorsView", "InfoResValuesView", "InfoResistorsSMD", "InfoInductionView"}) {
        auto screen = ScreenFactory::make(name, name);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->nibName(), name);
    }
}

}  // namespace
