#include "calculators/InfoNE555View.h"

#include <gtest/gtest.h>


namespace {

TEST(InfoNE555View, OpensWithTheWorkedExample) {
    InfoNE555View screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cDataC1.text(), "10");
    EXPECT_EQ(screen.m_cDataR1.text(), "1");
    EXPECT_EQ(screen.m_cDataC2.text(), "10");
    EXPECT_EQ(screen.m_cDataR2_1.text(), "1");
    EXPECT_EQ(screen.m_cDataR2_2.text(), "1");
    EXPECT_EQ(screen.m_cResults1.text(), "Results: T = 11.00 mS");
    EXPECT_EQ(screen.m_cResults2_1.text(), "t1 = 13.86 ms, t2 = 6.93 ms");
    EXPECT_EQ(screen.m_cResults2_2.text(), "f = 48.10 Hz");
}

TEST(InfoNE555View, MonostablePulse) {
    const struct {
        const char *c, *r, *line;
    } cases[] = {
        {"100", "10", "Results: T = 1.10 s"},
        {"90", "1", "Results: T = 99.00 mS"},
        {"1", "100", "Results: T = 0.11 s"},  // 110 ms is over 100: seconds
        {"0", "1", "Results: T = 0.00 mS"},
        {"", "", "Results: T = 0.00 mS"},
        {"-100", "10", "Results: T = -1100.00 mS"},  // no check; a negative pulse is not over 100 ms
        {"0.001", "1", "Results: T = 0.00 mS"},
    };
    for (const auto& c : cases) {
        InfoNE555View screen;
        screen.loadViewIfNeeded();
        screen.m_cDataC1.userEdit(c.c);
        screen.m_cDataR1.userEdit(c.r);
        EXPECT_EQ(screen.m_cResults1.text(), c.line) << c.c << " x " << c.r;
    }
}

TEST(InfoNE555View, AstableTimesUnitsAndFrequency) {
    const struct {
        const char *c, *ra, *rb, *times, *frequency;
    } cases[] = {
        // Only t1 is above 100 ms: both stay in ms.
        {"100", "1", "1", "t1 = 138.60 ms, t2 = 69.30 ms", "f = 4.81 Hz"},
        {"1000", "1", "1", "t1 = 1.39 s, t2 = 0.69 s", "f = 0.48 Hz"},
        {"0.001", "1", "1", "t1 = 1.39 us, t2 = 0.69 us", "f = 481.00 KHz"},
        {"0.1", "1", "1", "t1 = 0.14 ms, t2 = 0.07 ms", "f = 4.81 KHz"},
        {"0.00002", "1", "1", "t1 = 0.03 us, t2 = 0.01 us", "f = 24050.03 KHz"},
        // Negative values pass the checks by their magnitude.
        {"10", "-1", "1", "t1 = 0.00 us, t2 = 6930.00 us", "f = 144.30 Hz"},
        {"-10", "1", "1", "t1 = -13860.00 us, t2 = -6930.00 us", "f = -48.10 Hz"},
        // The bounds: a typed 0.00001 reads as a float just below 0.00001; 0.001 ohm is accepted.
        {"0.00001", "1", "1", "Error: value too small or incorrect", "f = n/a"},
        {"10", "0.001", "0.001", "t1 = 13.86 us, t2 = 6.93 us", "f = 48.10 KHz"},
        {"10", "0.0009", "1", "Error: value too small or incorrect", "f = n/a"},
        {"10", "0", "1", "Error: value too small or incorrect", "f = n/a"},
        {"10", "1", "0", "Error: value too small or incorrect", "f = n/a"},
        {"10", "1", "", "Error: value too small or incorrect", "f = n/a"},
        {"", "1", "1", "Error: value too small or incorrect", "f = n/a"},
        {"abc", "1", "1", "Error: value too small or incorrect", "f = n/a"},
    };
    for (const auto& c : cases) {
        InfoNE555View screen;
        screen.loadViewIfNeeded();
        screen.m_cDataC2.userEdit(c.c);
        screen.m_cDataR2_1.userEdit(c.ra);
        screen.m_cDataR2_2.userEdit(c.rb);
        EXPECT_EQ(screen.m_cResults2_1.text(), c.times) << c.c << " / " << c.ra << " / " << c.rb;
        EXPECT_EQ(screen.m_cResults2_2.text(), c.frequency) << c.c << " / " << c.ra << " / " << c.rb;
    }
}

TEST(InfoNE555View, ReturnKeyRecomputesAndScrollViewFitsTheDevice) {
    InfoNE555View phone;
    const Size fromInterfaceFile = phone.scrollView.bounds();
    phone.loadViewIfNeeded();
    EXPECT_EQ(phone.scrollView.contentSize(), fromInterfaceFile);
    EXPECT_EQ(phone.scrollView.bounds(), (Size{390, 760 - phone.m_cNavigationBar.height()}));

    phone.m_cDataC1.becomeFirstResponder();
    phone.m_cDataC1.setText("100");
    phone.m_cDataR1.setText("10");
    phone.m_cDataC1.userReturn();
    EXPECT_FALSE(phone.m_cDataC1.isFirstResponder());
    EXPECT_EQ(phone.m_cResults1.text(), "Results: T = 1.10 s");

    InfoNE555View tablet("InfoNE555View", true);
    tablet.loadViewIfNeeded();
    EXPECT_EQ(tablet.scrollView.bounds(), (Size{800, 900}));
    EXPECT_EQ(tablet.scrollView.contentSize(), (Size{800, 900}));
}

}  // namespace
