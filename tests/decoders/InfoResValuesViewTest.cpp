#include "decoders/InfoResValuesView.h"

#include <gtest/gtest.h>

#include "core/decoders/StandardValues.h"

#include <memory>
#include <string>

#include "platform/ui/TextField.h"

namespace {

TEST(InfoResValuesView, TypedTextGivesTheNearestListValues) {
    const std::pair<std::string, std::string> cases[] = {
        {"12345", "Nearest value: 12 or 13 KOhm"},
        // The ohm list: its first value never matches alone; its gaps (4 to 9, 16, 18, 300, 360) stay gaps.
        {"1", "Nearest value: 1 or 2 Ohms"},
        {"2", "Nearest value: 2 Ohms"},
        {"4", "Nearest value: 3 or 10 Ohms"},
        {"16", "Nearest value: 15 or 20 Ohms"},
        {"17", "Nearest value: 15 or 20 Ohms"},
        {"18", "Nearest value: 15 or 20 Ohms"},
        {"300", "Nearest value: 270 or 330 Ohms"},
        {"360", "Nearest value: 330 or 390 Ohms"},
        {"100", "Nearest value: 100 Ohms"},
        {"999", "Nearest value: 910 or 1000 Ohms"},
        // Range edges and the repeated first value of the other lists.
        {"1000", "Nearest value: 1.0 KOhm"},
        {"1001", "Nearest value: 1.0 or 1.1 KOhm"},
        {"4700", "Nearest value: 4.7 KOhm"},
        {"9500", "Nearest value: 9.1 or 10.0 KOhm"},
        {"9999", "Nearest value: 9.1 or 10.0 KOhm"},
        {"10000", "Nearest value: 10 KOhm"},
        {"10001", "Nearest value: 10 or 11 KOhm"},
        {"95000", "Nearest value: 91 or 100 KOhm"},
        {"950000", "Nearest value: 910 or 1000 KOhm"},
        {"999999", "Nearest value: 910 or 1000 KOhm"},
        {"1050000", "Nearest value: 1.0 or 1.1 MOhm"},
        {"9500000", "Nearest value: 9.1 or 10.0 MOhm"},
        // Exact megohm values: whole megohms in the single-value form, the others as the upper of two.
        {"1000000", "Nearest value: 1 MOhm"},
        {"10000000", "Nearest value: 10 MOhm"},
        {"2200000", "Nearest value: 2.0 or 2.2 MOhm"},
        {"1000001", "Nearest value: 1.0 or 1.1 MOhm"},
        {"10000001", "Incorrect value"},
        // Reading with longLongValue.
        {"-5", "Incorrect value"},
        {"0", "Incorrect value"},
        {"abc", "Incorrect value"},
        {"", "Incorrect value"},
        {"4.7", "Nearest value: 3 or 10 Ohms"},
        {" 47", "Nearest value: 47 Ohms"},
        {"47k", "Nearest value: 47 Ohms"},
        {"+47", "Nearest value: 47 Ohms"},
        {"99999999999999999999999", "Incorrect value"},   // saturates at the largest 64-bit value
        {"-99999999999999999999999", "Incorrect value"},  // … and at the smallest
        {"4294967343", "Incorrect value"},                // would be 47 if cut to 32 bits
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(StandardValues::screenText(text), expected) << text;
}

TEST(InfoResValuesView, RecomputesOnEveryEditAndOnReturn) {
    InfoResValuesView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cResistance.text(), "12345");
    EXPECT_EQ(screen.m_cResult.text(), "Nearest value: 12 or 13 KOhm");

    screen.m_cResistance.userEdit("4700");
    EXPECT_EQ(screen.m_cResult.text(), "Nearest value: 4.7 KOhm");

    // Text set by code posts nothing; the return key recomputes and gives up the keyboard.
    screen.m_cResistance.becomeFirstResponder();
    screen.m_cResistance.setText("17");
    EXPECT_EQ(screen.m_cResult.text(), "Nearest value: 4.7 KOhm");
    screen.m_cResistance.userReturn();
    EXPECT_EQ(screen.m_cResult.text(), "Nearest value: 15 or 20 Ohms");
    EXPECT_FALSE(screen.m_cResistance.isFirstResponder());
}

TEST(InfoResValuesView, StopsObservingOnBackAndWhenDestroyed) {
    TextField other;
    {
        auto screen = std::make_unique<InfoResValuesView>();
        screen->loadViewIfNeeded();
        screen->m_cResistance.setText("2");
        other.userEdit("x");  // a change from any field recomputes
        EXPECT_EQ(screen->m_cResult.text(), "Nearest value: 2 Ohms");
        screen->sendAction("onButtonBack");
        screen->m_cResistance.setText("4");
        other.userEdit("y");
        EXPECT_EQ(screen->m_cResult.text(), "Nearest value: 2 Ohms");
    }
    {
        auto screen = std::make_unique<InfoResValuesView>();
        screen->loadViewIfNeeded();
    }
    other.userEdit("z");  // would reach a destroyed screen if the observer stayed (caught under ASan)
}

}  // namespace
