#include "decoders/InfoResistorsView.h"

#include <gtest/gtest.h>

#include "core/decoders/ResistorCode.h"

#include "decoders/BandColor.h"

namespace {

TEST(InfoResistorsView, ResultsForWheelRows) {
    struct Case {
        int r[6];
        const char* expected;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0}, "Resistance: 10 Ohm +-20%"},
        {{3, 7, 0, 2, 2, 0}, "Resistance: 4.7 KOhm +-5%"},
        {{0, 0, 1, 1, 3, 1}, "Resistance: 1.00 KOhm +-1%, 100ppm"},
        {{0, 0, 0, 1, 0, 0}, "Resistance: 100 Ohm +-20%"},
        {{0, 0, 1, 0, 0, 0}, "Resistance: 100 Ohm +-20%"},
        {{8, 9, 10, 7, 0, 0}, "Resistance: 9990 MOhm +-20%"},
        {{2, 3, 0, 4, 0, 0}, "Resistance: 330 KOhm +-20%"},
        {{2, 3, 1, 4, 0, 0}, "Resistance: 3.30 MOhm +-20%"},
        {{3, 7, 0, 2, 2, 4}, "Resistance: 4.7 KOhm +-5%, 25ppm"},
        {{8, 9, 0, 7, 1, 2}, "Resistance: 990 MOhm +-10%, 50ppm"},
        {{0, 2, 0, 5, 4, 3}, "Resistance: 1.2 MOhm +-2%, 15ppm"},
        {{1, 5, 6, 2, 0, 0}, "Resistance: 25.5 KOhm +-20%"},
        {{1, 5, 6, 6, 0, 0}, "Resistance: 255 MOhm +-20%"},
        {{1, 5, 0, 6, 0, 0}, "Resistance: 25 MOhm +-20%"},
        {{1, 5, 0, 3, 0, 0}, "Resistance: 25 KOhm +-20%"},
        {{1, 5, 0, 4, 0, 0}, "Resistance: 250 KOhm +-20%"},
        {{1, 5, 6, 3, 0, 0}, "Resistance: 255 KOhm +-20%"},
        {{1, 5, 6, 4, 0, 0}, "Resistance: 2.55 MOhm +-20%"},
        {{1, 5, 6, 5, 0, 0}, "Resistance: 25.5 MOhm +-20%"},
        {{1, 5, 6, 7, 0, 0}, "Resistance: 2550 MOhm +-20%"},
        {{-1, 5, 6, 7, 0, 0}, "Resistance: colors are not correct"},
        {{1, 5, 0, 8, 9, 9}, "Resistance:  Ohm +-20%"},  // rows outside the wheels
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResistorCode::wheelText(c.r[0], c.r[1], c.r[2], c.r[3], c.r[4], c.r[5]), c.expected)
            << c.r[0] << c.r[1] << c.r[2] << c.r[3] << c.r[4] << c.r[5];
    }
}

TEST(InfoResistorsView, WheelsStartOnRowZeroAndEveryTurnRewritesTheLabel) {
    InfoResistorsView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cResults.text(), "Resistance: 10 Ohm +-20%");
    const int rows[] = {9, 10, 11, 8, 5, 5};
    ASSERT_EQ(screen.m_cPickerView.numberOfComponents(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(screen.m_cPickerView.numberOfRowsInComponent(c), rows[c]);
        EXPECT_EQ(screen.m_cPickerView.selectedRowInComponent(c), 0);
    }
    EXPECT_EQ(screen.pickerViewNumberOfRowsInComponent(&screen.m_cPickerView, 6), 0);
    screen.m_cPickerView.userSelectRow(3, 0);
    screen.m_cPickerView.userSelectRow(7, 1);
    screen.m_cPickerView.userSelectRow(2, 3);
    EXPECT_EQ(screen.m_cResults.text(), "Resistance: 4.7 KOhm +-20%");
    screen.m_cPickerView.userSelectRow(2, 4);
    EXPECT_EQ(screen.m_cResults.text(), "Resistance: 4.7 KOhm +-5%");
}

TEST(InfoResistorsView, SwatchesShowTheBandColourAndNoneAsADashOnLightGrey) {
    InfoResistorsView screen;
    screen.loadViewIfNeeded();
    for (int c = 0; c < 6; ++c) {
        const auto& names = screen.rowsOfComponent(c);
        for (int r = 0; r < static_cast<int>(names.size()); ++r) {
            auto swatch = screen.m_cPickerView.viewForRow(r, c);
            ASSERT_NE(swatch, nullptr);
            EXPECT_EQ(swatch->width(), 32);
            EXPECT_EQ(swatch->height(), 32);
            EXPECT_EQ(swatch->textAlignment(), Label::Alignment::Center);
            const BandColor* band = bandColorNamed(names[static_cast<size_t>(r)]);
            ASSERT_NE(band, nullptr) << names[static_cast<size_t>(r)];
            EXPECT_EQ(swatch->backgroundColor(), band->swatch);
            EXPECT_EQ(swatch->text(), names[static_cast<size_t>(r)] == "none" ? "-" : "");
        }
    }
    EXPECT_EQ(bandColorNamed("none")->swatch, Color::lightGrayColor());
    EXPECT_EQ(bandColorNamed("Violet")->swatch, Color::rgb(238.0f / 255, 130.0f / 255, 238.0f / 255));
    EXPECT_EQ(screen.m_cPickerView.titleForRow(0, 0), "1");
    auto outside = screen.m_cPickerView.viewForRow(0, 9);
    EXPECT_FALSE(outside->backgroundColor().has_value());
}

}  // namespace
