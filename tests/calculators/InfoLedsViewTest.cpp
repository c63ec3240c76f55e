#include "calculators/InfoLedsView.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/calculators/LedResistor.h"

namespace {

struct LedCase {
    const char *supply, *count, *forward, *current;
    const char *line1, *line2;
};

class InfoLedsViewTest : public ::testing::Test {
protected:
    // Types the four fields as a user would; each edit recomputes.
    void type(InfoLedsView& s, const LedCase& c) {
        s.m_cVoltage.userEdit(c.supply);
        s.m_cLedsCount.userEdit(c.count);
        s.m_cVoltageOnLED.userEdit(c.forward);
        s.m_cCurrentOnLED.userEdit(c.current);
    }
};

TEST_F(InfoLedsViewTest, ResistorListHasTheStandardValuesAndItsGaps) {
    const auto& list = LedResistor::resistorList();
    ASSERT_EQ(list.size(), 118u);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    EXPECT_EQ(std::adjacent_find(list.begin(), list.end()), list.end());
    EXPECT_EQ(list.front(), 1);
    EXPECT_EQ(list.back(), 910000);
    for (int absent : {16, 18, 300, 360, 220000, 4, 9, 1000000})
        EXPECT_EQ(std::count(list.begin(), list.end(), absent), 0) << absent;
    for (int present : {1, 2, 3, 10, 91, 100, 910, 1000, 1600, 1800, 3000, 3600, 9100, 22000, 91000, 100000, 240000})
        EXPECT_EQ(std::count(list.begin(), list.end(), present), 1) << present;
}

TEST_F(InfoLedsViewTest, OpensWithTheWorkedExample) {
    InfoLedsView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cVoltage.text(), "12");
    EXPECT_EQ(screen.m_cLedsCount.text(), "1");
    EXPECT_EQ(screen.m_cVoltageOnLED.text(), "2");
    EXPECT_EQ(screen.m_cCurrentOnLED.text(), "20");
    EXPECT_EQ(screen.m_cResults.text(), "R = 500 Ohm, P = 0.20 W");
    EXPECT_EQ(screen.m_cResults2.text(), "Recommended: 510 Ohm, 0.25 W");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_sch1.png");
    InfoLedsView tablet("InfoLedsViewIPad");
    tablet.loadViewIfNeeded();
    EXPECT_EQ(tablet.m_cSchematic.imageName(), "led_sch1b.png");
}

TEST_F(InfoLedsViewTest, ComputesResistanceRecommendationAndRating) {
    const LedCase cases[] = {
        {"5", "1", "2", "20", "R = 150 Ohm, P = 0.06 W", "Recommended: 150 Ohm, 0.125 W"},
        // Single precision puts 3 V / 1 mA just under 3000, and truncation keeps 2999.
        {"5", "1", "2", "1", "R = 2999 Ohm, P = 0.00 W", "Recommended: 3.0 KOhm, 0.125 W"},
        {"12", "1", "2", "1", "R = 10000 Ohm, P = 0.01 W", "Recommended: 10 KOhm, 0.125 W"},
        {"12", "2", "3", "20", "R = 300 Ohm, P = 0.12 W", "Recommended: 330 Ohm, 0.125 W"},
        // Gaps of the list: 17 -> 20, 290 -> 330, 215000 -> 240000.
        {"19", "1", "2", "1000", "R = 17 Ohm, P = 17.00 W", "Recommended: 20 Ohm, 50 W"},
        {"31", "1", "2", "100", "R = 290 Ohm, P = 2.90 W", "Recommended: 330 Ohm, 5 W"},
        {"217", "1", "2", "1", "R = 214999 Ohm, P = 0.22 W", "Recommended: 240 KOhm, 0.25 W"},
        {"4.6", "1", "2", "1", "R = 2599 Ohm, P = 0.00 W", "Recommended: 2.7 KOhm, 0.125 W"},
        // Each rating step and its text.
        {"3", "1", "2", "100", "R = 10 Ohm, P = 0.10 W", "Recommended: 10 Ohm, 0.125 W"},
        {"6", "1", "2", "100", "R = 40 Ohm, P = 0.40 W", "Recommended: 43 Ohm, 0.5 W"},
        {"11", "1", "2", "100", "R = 90 Ohm, P = 0.90 W", "Recommended: 91 Ohm, 1 W"},
        {"17", "1", "2", "100", "R = 150 Ohm, P = 1.50 W", "Recommended: 150 Ohm, 2 W"},
        {"82", "1", "2", "100", "R = 800 Ohm, P = 8.00 W", "Recommended: 820 Ohm, 10 W"},
        {"202", "1", "2", "100", "R = 2000 Ohm, P = 20.00 W", "Recommended: 2.0 KOhm, 50 W"},
        {"102", "1", "2", "1000", "R = 100 Ohm, P = 100.00 W", "Recommended: 100 Ohm, 100 W"},
        // Above the largest rating the line says so rather than printing a rating of 0.
        {"292", "1", "2", "1000", "R = 290 Ohm, P = 290.00 W", "Recommended: 330 Ohm, > 100 W"},
        // Above the largest listed resistor there is no recommendation.
        {"1000", "1", "2", "1", "R = 997999 Ohm, P = 1.00 W", ""},
        {" 12V", "1abc", "2.0", "20mA", "R = 500 Ohm, P = 0.20 W", "Recommended: 510 Ohm, 0.25 W"},
        {"1e39", "1", "2", "20", "R = 2147483647 Ohm, P = inf W", ""},
    };
    for (const auto& c : cases) {
        InfoLedsView screen;
        screen.loadViewIfNeeded();
        type(screen, c);
        EXPECT_EQ(screen.m_cResults.text(), c.line1) << c.supply << " V, " << c.count << " x " << c.forward << " V, "
                                                     << c.current << " mA";
        EXPECT_EQ(screen.m_cResults2.text(), c.line2) << c.supply << " V, " << c.current << " mA";
    }
}

TEST_F(InfoLedsViewTest, ErrorsClearTheRecommendation) {
    const LedCase cases[] = {
        {"5", "3", "2", "20", "Error: battery voltage is low", ""},
        {"6", "3", "2", "20", "Error: battery voltage is low", ""},
        {"0", "1", "2", "20", "Error: battery voltage is low", ""},
        {"", "1", "2", "20", "Error: battery voltage is low", ""},
        // 2.0005 V over 2 V leaves 0.5 ohm, below 1.
        {"2.0005", "1", "2", "1000", "Error: battery voltage is low", ""},
        {"12", "1", "0.05", "20", "Error: LED forward voltage cannot be null", ""},
        {"12", "1", "", "20", "Error: LED forward voltage cannot be null", ""},
        {"12", "1", "-2", "20", "Error: LED forward voltage cannot be null", ""},
        {"12", "0", "2", "20", "Error: incorrect number of LEDs", ""},
        {"12", "-1", "2", "20", "Error: incorrect number of LEDs", ""},
        {"12", "x", "2", "20", "Error: incorrect number of LEDs", ""},
        {"12", "1", "2", "0.5", "Error: incorrect LED current", ""},
        {"12", "1", "2", "", "Error: incorrect LED current", ""},
        // The checks run in order: forward voltage first, then count, then current, then supply.
        {"0", "0", "0", "0", "Error: LED forward voltage cannot be null", ""},
        {"0", "0", "2", "0", "Error: incorrect number of LEDs", ""},
        {"0", "1", "2", "0", "Error: incorrect LED current", ""},
    };
    for (const auto& c : cases) {
        InfoLedsView screen;
        screen.loadViewIfNeeded();
        type(screen, c);
        EXPECT_EQ(screen.m_cResults.text(), c.line1) << c.supply << "/" << c.count << "/" << c.forward << "/" << c.current;
        EXPECT_EQ(screen.m_cResults2.text(), c.line2);
    }
}

TEST_F(InfoLedsViewTest, CountButtonsAndPictures) {
    InfoLedsView screen;
    screen.loadViewIfNeeded();
    // At one LED the minus button changes nothing, not even the picture.
    screen.sendAction("onLedsDecrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "1");
    EXPECT_EQ(screen.m_cResults.text(), "R = 500 Ohm, P = 0.20 W");

    screen.sendAction("onLedsIncrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "2");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_sch2.png");
    EXPECT_EQ(screen.m_cResults.text(), "R = 400 Ohm, P = 0.16 W");
    screen.sendAction("onLedsIncrease");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_sch3.png");
    screen.sendAction("onLedsIncrease");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_schM.png");
    screen.sendAction("onLedsDecrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "3");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_sch3.png");

    // The buttons read the count as an integer and write it back plainly.
    screen.m_cLedsCount.userEdit("5 LEDs");
    screen.sendAction("onLedsDecrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "4");
    screen.m_cLedsCount.userEdit("-3");
    screen.sendAction("onLedsDecrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "-3");
    screen.sendAction("onLedsIncrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "-2");
    screen.m_cLedsCount.userEdit("2147483647");
    screen.sendAction("onLedsIncrease");
    EXPECT_EQ(screen.m_cLedsCount.text(), "2147483647");

    const struct {
        const char* count;
        const char *phone, *tablet;
    } pictures[] = {{"1", "led_sch1.png", "led_sch1b.png"}, {"2", "led_sch2.png", "led_sch2b.png"},
                    {"3", "led_sch3.png", "led_sch3b.png"}, {"7", "led_schM.png", "led_schMb.png"},
                    {"0", "led_schM.png", "led_schMb.png"}, {"-1", "led_schM.png", "led_schMb.png"},
                    {"", "led_schM.png", "led_schMb.png"}};
    InfoLedsView tablet(InfoLedsView::kTabletNibName);
    tablet.loadViewIfNeeded();
    for (const auto& p : pictures) {
        screen.m_cLedsCount.userEdit(p.count);
        EXPECT_EQ(screen.m_cSchematic.imageName(), p.phone) << p.count;
        tablet.m_cLedsCount.userEdit(p.count);
        EXPECT_EQ(tablet.m_cSchematic.imageName(), p.tablet) << p.count;
    }
}

TEST_F(InfoLedsViewTest, ReturnKeyGivesUpTheKeyboardAndRecomputes) {
    InfoLedsView screen;
    screen.loadViewIfNeeded();
    screen.m_cLedsCount.becomeFirstResponder();
    screen.m_cLedsCount.setText("3");  // set by code: no change notification, nothing recomputed yet
    EXPECT_EQ(screen.m_cResults.text(), "R = 500 Ohm, P = 0.20 W");
    screen.m_cLedsCount.userReturn();
    EXPECT_FALSE(screen.m_cLedsCount.isFirstResponder());
    EXPECT_EQ(screen.m_cResults.text(), "R = 300 Ohm, P = 0.12 W");
    EXPECT_EQ(screen.m_cSchematic.imageName(), "led_sch3.png");
}

TEST_F(InfoLedsViewTest, EditsOfOtherScreensFieldsAreIgnored) {
    InfoLedsView screen, other;
    screen.loadViewIfNeeded();
    other.loadViewIfNeeded();
    screen.m_cVoltage.setText("5");
    other.m_cVoltage.userEdit("9");
    EXPECT_EQ(screen.m_cResults.text(), "R = 500 Ohm, P = 0.20 W");
}

}  // namespace
