#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include "gui/GuiTestSupport.h"

namespace {
constexpr int kNe555Row = 8;
}

class NE555ScreenTest : public QObject {
    Q_OBJECT
private slots:
    void typedValuesRewriteBothCircuits() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kNe555Row));
        QVERIFY(gui.find<QScrollArea*>("scrollView"));
        QCOMPARE(gui.find<QLabel*>("m_cNavigationBar")->text(), QString("NE555 timer calc"));
        auto* mono = gui.find<QLabel*>("m_cResults1");
        auto* times = gui.find<QLabel*>("m_cResults2_1");
        auto* frequency = gui.find<QLabel*>("m_cResults2_2");
        QVERIFY(mono && times && frequency);
        QCOMPARE(mono->text(), QString("Results: T = 11.00 mS"));
        QCOMPARE(times->text(), QString("t1 = 13.86 ms, t2 = 6.93 ms"));
        QCOMPARE(frequency->text(), QString("f = 48.10 Hz"));

        auto* c1 = gui.find<QLineEdit*>("m_cDataC1");
        c1->setFocus();
        QTest::keyClick(c1, Qt::Key_End);
        QTest::keyClick(c1, '0');  // 100 uF
        auto* r1 = gui.find<QLineEdit*>("m_cDataR1");
        r1->setFocus();
        QTest::keyClick(r1, Qt::Key_End);
        QTest::keyClick(r1, '0');  // 10 kOhm
        QCOMPARE(mono->text(), QString("Results: T = 1.10 s"));

        auto* c2 = gui.find<QLineEdit*>("m_cDataC2");
        c2->setFocus();
        c2->selectAll();
        QTest::keyClicks(c2, "0.001");
        QCOMPARE(times->text(), QString("t1 = 1.39 us, t2 = 0.69 us"));
        QCOMPARE(frequency->text(), QString("f = 481.00 KHz"));
        auto* rb = gui.find<QLineEdit*>("m_cDataR2_2");
        rb->setFocus();
        rb->selectAll();
        QTest::keyClick(rb, Qt::Key_Backspace);
        QCOMPARE(times->text(), QString("Error: value too small or incorrect"));
        QCOMPARE(frequency->text(), QString("f = n/a"));

        QTest::keyClick(gui.page(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(NE555ScreenTest)
#include "NE555ScreenTest.moc"
