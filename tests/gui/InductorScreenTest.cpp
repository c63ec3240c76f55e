#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "gui/GuiTestSupport.h"
#include "gui/PickerWheels.h"

class InductorScreenTest : public QObject {
    Q_OBJECT
private slots:
    void swatchWheelsTurnedWithTheKeyboardRewriteTheResultAndEscapeCloses() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(list);
        QVERIFY(list->item(4)->flags() & Qt::ItemIsEnabled);
        QVERIFY(gui.openMenuRow(4));

        auto* wheels = gui.find<PickerWheels*>("m_cPickerView");
        auto* result = gui.find<QLabel*>("m_cResults");
        QVERIFY(wheels && result);
        QCOMPARE(wheels->wheelCount(), 4);
        QCOMPARE(result->text(), QString("Inductance: 10 uH +-20%"));
        // The band colour swatches: "none" is a dash on light grey, Gold and Silver close the multiplier wheel.
        QCOMPARE(wheels->wheel(3)->item(0)->text(), QString("-"));
        QCOMPARE(wheels->wheel(2)->count(), 7);
        QCOMPARE(wheels->wheel(2)->item(5)->background().color(), QColor::fromRgbF(1.0f, 215.0f / 255.0f, 0.0f));
        QCOMPARE(wheels->wheel(2)->item(6)->background().color(),
                 QColor::fromRgbF(192.0f / 255.0f, 192.0f / 255.0f, 192.0f / 255.0f));

        struct Turn {
            int presses[4];
            const char* expected;
        };
        // Each turn starts from the wheels as the previous one left them.
        const Turn turns[] = {{{3, 7, 2, 2}, "Inductance: 4.7 mH +-5%"},      // Yellow Violet Red Gold
                              {{0, 0, 4, 1}, "Inductance: 0.470 uH +-10%"}};  // … Silver Silver
        for (const Turn& t : turns) {
            for (int c = 0; c < 4; ++c) {
                QListWidget* wheel = wheels->wheel(c);
                wheel->setFocus();
                for (int i = 0; i < t.presses[c]; ++i) QTest::keyClick(wheel, Qt::Key_Down);
            }
            QCOMPARE(result->text(), QString(t.expected));
        }

        QTest::keyClick(gui.page(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(InductorScreenTest)
#include "InductorScreenTest.moc"
