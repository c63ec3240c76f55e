#include "calculators/InfoWiresVoltageDrop.h"

#include <gtest/gtest.h>

#include "calculators/InfoWiresView.h"
#include "platform/RunLoop.h"
#include "core/calculators/VoltageDrop.h"

namespace {

void turnLoop() {
    for (int i = 0; i < 5; ++i) RunLoop::main().runOnce(0);
}

TEST(InfoWiresVoltageDrop, GaugeTableIsKeyedByExactText) {
    // Every gauge and its text, in order: a single mistyped figure changes every drop of that gauge.
    const char* expected =
        "0000 0.000161|000 0.000203|00 0.000256|0 0.000323|1 0.000407|2 0.000513|3 0.000647|4 0.000815|"
        "5 0.00103|6 0.00130|7 0.00163|8 0.00206|9 0.00260|10 0.00328|11 0.00413|12 0.00521|13 0.00657|"
        "14 0.00829|15 0.0104|16 0.0132|17 0.0166|18 0.0210|19 0.0264|20 0.0333|21 0.0420|22 0.0530|23 0.0668|"
        "24 0.0842|25 0.106|26 0.134|27 0.169|28 0.213|29 0.268|30 0.339|31 0.427|32 0.538|33 0.679|34 0.856|"
        "35 1.08|36 1.36|37 1.72|38 2.16|39 2.73|40 3.44|";
    std::string table;
    for (const auto& [gauge, ohms] : VoltageDrop::awgTable()) {
        table += gauge + ' ' + ohms + '|';
        EXPECT_EQ(VoltageDrop::resistanceOfGauge(gauge), ohms) << gauge;
    }
    EXPECT_EQ(table, expected);
    for (const char* bad : {"1/0", "4/0", "018", "18 ", " 18", "41", "", "-1", "00000", "18.0"})
        EXPECT_FALSE(VoltageDrop::resistanceOfGauge(bad)) << '"' << bad << '"';
}

TEST(InfoWiresVoltageDrop, DropsForCopperAndAluminium) {
    const struct {
        const char *awg, *amps, *metres;
        const char *line1, *line2, *line3;
    } cases[] = {
        {"18", "5", "10", "Resistance, Ohm/m: 0.0210", "Voltage drop (copper): 2.10V", "Voltage drop (alum.): 3.24V"},
        {"0000", "100", "10", "Resistance, Ohm/m: 0.000161", "Voltage drop (copper): 0.32V",
         "Voltage drop (alum.): 0.50V"},
        {"40", "0.1", "1", "Resistance, Ohm/m: 3.44", "Voltage drop (copper): 0.69V", "Voltage drop (alum.): 1.06V"},
        // The stored text is shown as it is, trailing zeros included; "0" and "00" are different gauges.
        {"6", "10", "10", "Resistance, Ohm/m: 0.00130", "Voltage drop (copper): 0.26V", "Voltage drop (alum.): 0.40V"},
        {"0", "10", "100", "Resistance, Ohm/m: 0.000323", "Voltage drop (copper): 0.65V",
         "Voltage drop (alum.): 1.00V"},
        {"00", "10", "100", "Resistance, Ohm/m: 0.000256", "Voltage drop (copper): 0.51V",
         "Voltage drop (alum.): 0.79V"},
        // Current and length are not checked.
        {"18", "0", "10", "Resistance, Ohm/m: 0.0210", "Voltage drop (copper): 0.00V", "Voltage drop (alum.): 0.00V"},
        {"18", "5", "", "Resistance, Ohm/m: 0.0210", "Voltage drop (copper): 0.00V", "Voltage drop (alum.): 0.00V"},
        {"18", "-5", "10", "Resistance, Ohm/m: 0.0210", "Voltage drop (copper): -2.10V",
         "Voltage drop (alum.): -3.24V"},
        {"1/0", "5", "10", "Incorrect input", "", ""},
        {"018", "5", "10", "Incorrect input", "", ""},
        {"18 ", "5", "10", "Incorrect input", "", ""},
        {"41", "5", "10", "Incorrect input", "", ""},
        {"4/0", "5", "10", "Incorrect input", "", ""},
        {"", "5", "10", "Incorrect input", "", ""},
    };
    for (const auto& c : cases) {
        InfoWiresVoltageDrop screen;
        screen.loadViewIfNeeded();
        screen.m_cCurrent.userEdit(c.amps);
        screen.m_cLength.userEdit(c.metres);
        screen.m_cAWGNum.userEdit(c.awg);
        EXPECT_EQ(screen.m_cResult1.text(), c.line1) << '"' << c.awg << '"';
        EXPECT_EQ(screen.m_cResult2.text(), c.line2) << '"' << c.awg << "\" " << c.amps << " A " << c.metres << " m";
        EXPECT_EQ(screen.m_cResult3.text(), c.line3) << '"' << c.awg << "\" " << c.amps << " A " << c.metres << " m";
    }
}

TEST(InfoWiresVoltageDrop, OpensTheWireTableOverItselfAndComesBackUnchanged) {
    InfoWiresVoltageDrop screen;
    screen.loadViewIfNeeded();
    screen.m_cAWGNum.userEdit("12");
    ASSERT_TRUE(screen.sendAction("onShowAWGWires"));
    auto* table = dynamic_cast<InfoWiresView*>(screen.presentedViewController());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->nibName(), "InfoWiresView");
    EXPECT_TRUE(table->isViewLoaded());
    table->sendAction("onButtonBack");
    turnLoop();
    EXPECT_EQ(screen.presentedViewController(), nullptr);
    EXPECT_EQ(screen.m_cAWGNum.text(), "12");
    EXPECT_EQ(screen.m_cResult1.text(), "Resistance, Ohm/m: 0.00521");
}

TEST(InfoWiresVoltageDrop, ReturnKeyRecomputesAndBackStopsListening) {
    InfoWiresVoltageDrop screen;
    screen.loadViewIfNeeded();
    screen.m_cAWGNum.becomeFirstResponder();
    screen.m_cAWGNum.setText("40");
    screen.m_cAWGNum.userReturn();
    EXPECT_FALSE(screen.m_cAWGNum.isFirstResponder());
    EXPECT_EQ(screen.m_cResult1.text(), "Resistance, Ohm/m: 3.44");

    screen.sendAction("onButtonBack");
    screen.m_cAWGNum.userEdit("18");
    EXPECT_EQ(screen.m_cResult1.text(), "Resistance, Ohm/m: 3.44");
}

}  // namespace
