#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "gui/GuiTestSupport.h"

namespace {
constexpr int kDropRow = 7;
}  // namespace

class VoltageDropScreenTest : public QObject {
    Q_OBJECT
private slots:
    void typedGaugeCurrentAndLengthGiveBothDrops() {
        GuiHarness gui;
        QVERIFY(gui.openMenuRow(kDropRow));
        auto* r1 = gui.find<QLabel*>("m_cResult1");
        auto* r2 = gui.find<QLabel*>("m_cResult2");
        auto* r3 = gui.find<QLabel*>("m_cResult3");
        QVERIFY(r1 && r2 && r3);
        QCOMPARE(r1->text(), QString("Resistance, Ohm/m: 0.0210"));
        QCOMPARE(r2->text(), QString("Voltage drop (copper): 2.10V"));
        QCOMPARE(r3->text(), QString("Voltage drop (alum.): 3.24V"));

        GuiHarness::retype(gui.find<QLineEdit*>("m_cAWGNum"), "0000");
        GuiHarness::retype(gui.find<QLineEdit*>("m_cCurrent"), "100");
        QCOMPARE(r1->text(), QString("Resistance, Ohm/m: 0.000161"));
        QCOMPARE(r2->text(), QString("Voltage drop (copper): 0.32V"));
        QCOMPARE(r3->text(), QString("Voltage drop (alum.): 0.50V"));
        GuiHarness::retype(gui.find<QLineEdit*>("m_cAWGNum"), "4/0");
        QCOMPARE(r1->text(), QString("Incorrect input"));
        QCOMPARE(r2->text(), QString(""));
        QCOMPARE(r3->text(), QString(""));
    }

    void theWireTableOpensOverTheScreenAndBackComesBackToIt() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kDropRow));
        QWidget* drop = gui.page();
        auto* gauge = gui.find<QLineEdit*>("m_cAWGNum");
        GuiHarness::retype(gauge, "12");
        QTest::mouseClick(gui.find<QPushButton*>("m_cWireInfo"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != drop; }));
        QCOMPARE(gui.page()->objectName(), QString("InfoWiresView"));
        auto* document = gui.find<QTextBrowser*>("m_cHTMLData");
        QVERIFY(document && document->toPlainText().contains("0000"));

        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == drop; }));
        QCOMPARE(gauge->text(), QString("12"));
        QCOMPARE(gui.find<QLabel*>("m_cResult1")->text(), QString("Resistance, Ohm/m: 0.00521"));

        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(VoltageDropScreenTest)
#include "VoltageDropScreenTest.moc"
