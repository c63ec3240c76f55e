#include "decoders/InfoInductionView.h"

#include <gtest/gtest.h>

#include "core/decoders/InductorCode.h"

#include <string>

#include "decoders/BandColor.h"

namespace {

TEST(InfoInductionView, BandsGiveTheInductanceLine) {
    struct Case {
        int r0, r1, r2, r3;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0, "Inductance: 10 uH +-20%"},
        {3, 7, 1, 3, "Inductance: 470 uH +-10%"},
        {3, 7, 2, 2, "Inductance: 4.7 mH +-5%"},
        {3, 7, 3, 0, "Inductance: 47 mH +-20%"},
        {3, 7, 4, 0, "Inductance: 470 mH +-20%"},
        {3, 7, 5, 0, "Inductance: 4.7 uH +-20%"},
        {3, 7, 6, 0, "Inductance: 0.470 uH +-20%"},  // Silver goes through double precision
        {0, 0, 6, 0, "Inductance: 0.100 uH +-20%"},
        {8, 9, 6, 0, "Inductance: 0.990 uH +-20%"},
        {0, 5, 6, 0, "Inductance: 0.150 uH +-20%"},
        {3, 7, 0, 1, "Inductance: 47 uH +-20%"},  // Black tolerance means 20 %, as "none"
        {8, 9, 4, 3, "Inductance: 990 mH +-10%"},
        {3, 7, 7, 9, "Inductance:  mH +-20%"},      // rows no wheel has: no value, the defaults
        {-1, 0, 0, 0, "Inductance: 0 uH"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InductorCode::wheelText(c.r0, c.r1, c.r2, c.r3), c.expected);
        if (c.r0 < 0 || c.r2 > 6) continue;
        InfoInductionView screen;
        screen.loadViewIfNeeded();
        const int rows[] = {c.r0, c.r1, c.r2, c.r3};
        for (int comp = 0; comp < 4; ++comp) screen.m_cPickerView.userSelectRow(rows[comp], comp);
        EXPECT_EQ(screen.m_cResults.text(), c.expected);
    }
}

TEST(InfoInductionView, WheelsShowBandSwatches) {
    InfoInductionView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cResults.text(), "Inductance: 10 uH +-20%");
    PickerView& p = screen.m_cPickerView;
    ASSERT_EQ(p.numberOfComponents(), 4);
    const int counts[] = {9, 10, 7, 4};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(p.numberOfRowsInComponent(c), counts[c]);
    EXPECT_EQ(screen.pickerViewNumberOfRowsInComponent(&p, 4), 0);

    struct Swatch {
        int row, component;
        const char* colour;
        const char* text;
    };
    const Swatch swatches[] = {{0, 0, "Brown", ""}, {5, 2, "Gold", ""}, {6, 2, "Silver", ""},
                               {0, 3, "none", "-"}, {1, 3, "Black", ""}, {9, 1, "White", ""}};
    for (const Swatch& s : swatches) {
        auto label = p.viewForRow(s.row, s.component);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), 32);
        EXPECT_EQ(label->height(), 32);
        EXPECT_EQ(label->backgroundColor(), bandColorNamed(s.colour)->swatch) << s.colour;
        EXPECT_EQ(label->text(), s.text);
    }
    auto outside = screen.pickerViewViewForRowForComponentReusingView(&p, 0, 4, nullptr);
    ASSERT_NE(outside, nullptr);
    EXPECT_FALSE(outside->backgroundColor().has_value());
}

}  // namespace
