// The bench tools' screens as a user drives them from the menu's second group: what is typed (and the series
// chosen) against what the screen shows, bad input answered with a message, F1 help and Escape back.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "gui/GuiTestSupport.h"
#include "gui/PickerWheels.h"
#include "gui/ResistorBodyView.h"

namespace {
constexpr int kFirstBenchRow = 12;  // after the eleven tools and the group's heading
}  // namespace

class BenchScreensTest : public QObject {
    Q_OBJECT

    struct Row {
        const char* field;
        const char* typed;
        const char* label;
        const char* shows;            // the label's text starts so
        const char* drawn = nullptr;  // the bands drawn, if the screen draws them
        int wheel = 0;                // when `field` names wheels: the key pressed on this one of them
        Qt::Key key = Qt::Key_unknown;
    };

    // Opens the group's tool `index`, types each row's text (or turns its wheel) and checks the label; then F1
    // help and Escape.
    static void drive(int index, std::initializer_list<Row> rows) {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kFirstBenchRow + index));
        QVERIFY(gui.page()->whatsThis().contains(" = "));  // F1 gives the formula
        for (const Row& row : rows) {
            auto* field = gui.find<QWidget*>(row.field);
            auto* label = gui.find<QLabel*>(row.label);
            QVERIFY(field && label);
            if (row.typed) GuiHarness::retype(qobject_cast<QLineEdit*>(field), QString::fromUtf8(row.typed));
            if (auto* wheels = qobject_cast<PickerWheels*>(field); wheels && row.key != Qt::Key_unknown) {
                wheels->wheel(row.wheel)->setFocus();
                QTest::keyClick(wheels->wheel(row.wheel), row.key);
            }
            QVERIFY2(label->text().startsWith(QString::fromUtf8(row.shows)), qPrintable(label->text()));
            if (auto* body = gui.find<ResistorBodyView*>("m_cBands"); body && row.drawn)
                QCOMPARE(body->isVisible() ? body->bands().join(' ') : QString(), QString(row.drawn));
        }
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }

private slots:
    void valueFinderFollowsTheValueAndTheSeriesAndDrawsTheBands() {
        GuiHarness gui;
        QVERIFY(gui.openMenuRow(kFirstBenchRow));
        auto* field = gui.find<QLineEdit*>("m_cValue");
        auto* nearest = gui.find<QLabel*>("m_cNearest");
        auto* codes = gui.find<QLabel*>("m_cCodes");
        auto* body = gui.find<ResistorBodyView*>("m_cBands");
        auto* series = gui.find<PickerWheels*>("m_cSeries");
        QVERIFY(field && nearest && codes && body && series);
        const struct {
            const char* typed;
            int seriesKeys;  // Right (+) or Left (-) presses on the series row
            const char* nearest;
            const char* bands;  // drawn; empty for none
            const char* codes;
        } rows[] = {
            {nullptr, 0, "Nearest E24: 4.7\u00a0kΩ (0 %)", "yellow violet red gold", "SMD code: 472 or 4701\nEIA-96: none"},
            {"5.14", 2, "Nearest E96: 5.11\u00a0Ω (-0.584 %)", "green brown brown silver brown",
             "SMD code: 5R11\nEIA-96: 69Y"},
            {"100nF", -3, "Nearest E12: 100\u00a0nF (0 %)", "", "Capacitor code: 104K (±10 %)"},
            {"2u2H", 1, "Nearest E24: 2.2\u00a0µH (0 %)", "red red gold gold", ""},
            {"4x7", 0, "'4x7' is not a value: write 4.7k, 4k7 or 4700", "", ""},
            {"12V", 0, "'12V' is in volts: give ohms, farads or henries", "", ""},
            {"0", 0, "Give a value above zero", "", ""},
        };
        for (const auto& row : rows) {
            if (row.typed) GuiHarness::retype(field, QString::fromUtf8(row.typed));
            QListWidget* wheel = series->wheel(0);
            wheel->setFocus();
            for (int i = 0; i < std::abs(row.seriesKeys); ++i)
                QTest::keyClick(wheel, row.seriesKeys > 0 ? Qt::Key_Right : Qt::Key_Left);
            QVERIFY2(nearest->text().startsWith(QString::fromUtf8(row.nearest)), qPrintable(nearest->text()));
            QCOMPARE(body->bands().join(' '), QString(row.bands));
            QCOMPARE(body->isVisible(), *row.bands != '\0');
            QCOMPARE(codes->text(), QString::fromUtf8(row.codes));
        }
    }

    void dividerAndCombinations() {
        drive(1, {{"m_cVin", nullptr, "m_cDivider", "R1 2.4 kΩ, R2 910 Ω: 3.2991 V"},
                  {"m_cVout", "13", "m_cDivider", "Vout must lie between 0 V and Vin (12 V)"},
                  {"m_cVout", "5", "m_cAlternatives", "or R1 "},
                  {"m_cLoad", "4x7", "m_cDivider", "Load: '4x7' is not a value"},
                  {"m_cLoad", "", "m_cDivider", "R1 "},
                  {"m_cTarget", "5.14", "m_cCombination", "One: 5.1 Ω (-0.778 %)\nTwo in series: "},
                  {"m_cTarget", "", "m_cCombination", "Resistance: type a value"}});
    }

    void regulator() {
        drive(2, {{"m_cVout", nullptr, "m_cResult", "R2 = 680 Ω (E24)\nVout = 4.8257 V (-3.49 %)"},
                  {"m_cVout", nullptr, "m_cExact", "Exact R2 = 713.15 Ω"},
                  {"m_cR1", "1k2", "m_cExact", "Exact R2 = 3.4351 kΩ"},
                  {"m_cIadj", "5F", "m_cResult", "Iadj: '5F' is in farads: give amperes"},
                  {"m_cIadj", "50u", "m_cResult", "R2 = 3.3 kΩ (E24)"},
                  {"m_cVout", "1", "m_cResult", "Vout must be above Vref (1.25 V)"}});
    }

    void identifyReadsAsYouType() {
        drive(3, {{"m_cMarking", nullptr, "m_cBest", "Capacitor code: 470 nF ±10 %", ""},
                  {"m_cMarking", "gold, red, violet, yellow", "m_cBest", "Resistor bands (reversed): 4.7 kΩ ±5 %",
                   "yellow violet red gold"},
                  {"m_cMarking", "4R7", "m_cBest", "SMD code: 4.7 Ω"},
                  {"m_cMarking", "01C", "m_cBest", "EIA-96 code: 10 kΩ"},
                  {"m_cMarking", "xyz", "m_cBest", "'xyz' is no marking this program reads"},
                  {"m_cMarking", "", "m_cBest", "Type a marking"}});
    }

    // The board and RF group, after the bench tools and its own heading: each screen both ways where it has two,
    // its wheels (class of board, the two metals) and its refusals.
    void boardAndRfScreens() {
        constexpr int kPcb = 5;
        drive(kPcb + 0, {{"m_cCurrent", nullptr, "m_cWidthResult", "Width for 2 A: 786 µm (30.9 mil)"},
                         {"m_cWidth", nullptr, "m_cCurrentResult", "Current for 1 mm: 2.38"},
                         {"m_cLength", nullptr, "m_cLoss", "Over 50 mm: 33.38 mΩ, drop 66.75 mV, loss 133.5 mW"},
                         {"m_cThickness", "35um", "m_cWidthResult", "Width for 2 A: 781.4 µm"},
                         {"m_cCurrent", "x", "m_cWidthResult", "Current: 'x' is not a value"},
                         {"m_cThickness", "", "m_cWidthResult", "Copper: type a thickness"}});
        drive(kPcb + 1, {{"m_cHole", nullptr, "m_cResistance", "Resistance 1.144 mΩ"},
                         {"m_cHole", nullptr, "m_cCurrentResult", "Current for 10 °C rise: 1.902 A"},
                         {"m_cHole", nullptr, "m_cReactance", "Capacitance 0.5862 pF, inductance 1.299 nH"},
                         {"m_cCurrent", "2", "m_cResistance", "Resistance 1.144 mΩ; at 2 A drop 2.289 mV"},
                         {"m_cClearance", "0.5mm", "m_cResistance", "clearance must be wider than the pad"}});
        drive(kPcb + 2, {{"m_cVoltage", nullptr, "m_cSpacing", "Spacing 1.25 mm at 230 V"},
                         {"m_cVoltage", "600", "m_cSpacing", "Spacing 3 mm at 600 V"},
                         {"m_cVoltage", nullptr, "m_cClassText", "B2: External, uncoated, sea level to 3050 m"},
                         {"m_cClass", nullptr, "m_cSpacing", "Spacing 15 mm at 600 V", nullptr, 0, Qt::Key_Right},  // B3
                         {"m_cVoltage", "230", "m_cSpacing", "Spacing 6.4 mm at 230 V"},
                         {"m_cVoltage", "12A", "m_cSpacing", "Voltage: '12A' is in amperes: give volts"}});
        drive(kPcb + 3, {{"m_cWidth", nullptr, "m_cZ0", "Z0 50.17 Ω"},
                         {"m_cWanted", "50", "m_cSynthesis", "For 50 Ω: width 3.017 mm"},
                         {"m_cWanted", "5k", "m_cSynthesis", "For 5 kΩ: no width gives 5 kΩ here"},
                         {"m_cHeight", "0", "m_cZ0", "height must be above 0"}});
        drive(kPcb + 4, {{"m_cOuter", nullptr, "m_cZ0", "Z0 51.67 Ω"},
                         {"m_cWanted", "75", "m_cSynthesis", "For 75 Ω: centre conductor 451.8 µm"},
                         {"m_cInner", "3mm", "m_cZ0", "inner must be less than the outer diameter"}});
        drive(kPcb + 5, {{"m_cDb", nullptr, "m_cExact", "Exact: R1 96.25 Ω, R2 71.15 Ω, R3 96.25 Ω"},
                         {"m_cDb", nullptr, "m_cNearest", "E24: R1 100 Ω, R2 68 Ω, R3 100 Ω"},
                         {"m_cDb", nullptr, "m_cMatch", "They give 9.629 dB; input 50.33 Ω (return loss 49.6 dB)"},
                         {"m_cZout", "75", "m_cExact", "Exact: R1 "},
                         {"m_cDb", "3", "m_cExact", "a pad between 50 Ω and 75 Ω attenuates more than 5.719 dB"}});
        drive(kPcb + 6, {{"m_cTime", nullptr, "m_cFuseCurrent", "Melts in 1 s at 2.51"},
                         {"m_cCurrent", nullptr, "m_cFuseTime", "10 A melts it in 63."},
                         {"m_cTime", "0", "m_cFuseCurrent", "time must be above 0"}});
        drive(kPcb + 7, {{"m_cAwg", nullptr, "m_cResistance", "Loop 165.7 mΩ, drop 828.5 mV, loss 4.143 W, 2.403 A/mm²"},
                         {"m_cAwg", nullptr, "m_cEquivalent", "2.081 mm²: nearest AWG 14, metric 2.5 mm²"},
                         {"m_cAwg", nullptr, "m_cSmallest", "Within 500 mV: AWG 11, 4 mm²"},
                         {"m_cAwg", "50", "m_cResistance", "AWG: '50' is not a gauge from 0000 to 40"}});
        drive(kPcb + 8, {{"m_cFrequency", nullptr, "m_cWavelength", "λ 2.998 m"},
                         {"m_cFrequency", nullptr, "m_cFractions", "λ/2 1.499 m, λ/4 749.5 mm"},
                         {"m_cVelocity", "0.66", "m_cPeriod", "Period 10 ns"},
                         {"m_cFrequency", "1kV", "m_cWavelength", "Frequency: '1kV' is in volts: give hertz"}});
        drive(kPcb + 9, {{"m_cMetals", nullptr, "m_cDifference", "Difference 300 mV; tin corrodes"},  // copper, tin
                         {"m_cMetals", nullptr, "m_cVerdict", "Harsh: no, normal: no, controlled: yes"},
                         {"m_cMetals", nullptr, "m_cDifference", "Difference 250 mV; chromium corrodes", nullptr, 1,
                          Qt::Key_Up},  // chromium, just above tin
                         {"m_cMetals", nullptr, "m_cVerdict", "Harsh: no, normal: yes, controlled: yes"}});
    }

};

QTEST_MAIN(BenchScreensTest)
#include "BenchScreensTest.moc"
