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
    };

    // Opens the group's tool `index`, types each row's text and checks the label; then F1 help and Escape.
    static void drive(int index, std::initializer_list<Row> rows) {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kFirstBenchRow + index));
        QVERIFY(gui.page()->whatsThis().contains(" = "));  // F1 gives the formula
        for (const Row& row : rows) {
            auto* field = gui.find<QLineEdit*>(row.field);
            auto* label = gui.find<QLabel*>(row.label);
            QVERIFY(field && label);
            if (row.typed) GuiHarness::retype(field, QString::fromUtf8(row.typed));
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
};

QTEST_MAIN(BenchScreensTest)
#include "BenchScreensTest.moc"
