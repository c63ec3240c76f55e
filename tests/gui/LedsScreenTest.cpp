#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTestSupport.h"

namespace {
constexpr int kLedRow = 5;
}  // namespace

class LedsScreenTest : public QObject {
    Q_OBJECT
private slots:
    void typingAndTheCountButtonsRecomputeAndRedrawTheCircuit() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kLedRow));
        auto* results = gui.find<QLabel*>("m_cResults");
        auto* results2 = gui.find<QLabel*>("m_cResults2");
        auto* picture = gui.find<QLabel*>("m_cSchematic");
        auto* count = gui.find<QLineEdit*>("m_cLedsCount");
        auto* supply = gui.find<QLineEdit*>("m_cVoltage");
        auto* current = gui.find<QLineEdit*>("m_cCurrentOnLED");
        QVERIFY(results && results2 && picture && count && supply && current);
        QCOMPARE(supply->text(), QString("12"));
        QCOMPARE(results->text(), QString("R = 500 Ohm, P = 0.20 W"));
        QCOMPARE(results2->text(), QString("Recommended: 510 Ohm, 0.25 W"));
        QVERIFY(!picture->pixmap().isNull());
        const QImage oneLed = picture->pixmap().toImage();

        QTest::mouseClick(gui.find<QPushButton*>("onLedsIncrease"), Qt::LeftButton);
        QCOMPARE(count->text(), QString("2"));
        QCOMPARE(results->text(), QString("R = 400 Ohm, P = 0.16 W"));
        QVERIFY(!picture->pixmap().isNull());
        QVERIFY(picture->pixmap().toImage() != oneLed);
        QTest::mouseClick(gui.find<QPushButton*>("onLedsDecrease"), Qt::LeftButton);
        QTest::mouseClick(gui.find<QPushButton*>("onLedsDecrease"), Qt::LeftButton);
        QCOMPARE(count->text(), QString("1"));
        QCOMPARE(picture->pixmap().toImage(), oneLed);

        // Typing in the middle of a field keeps the cursor there, though every key redraws the field.
        supply->setFocus();
        supply->setCursorPosition(1);
        QTest::keyClicks(supply, "50");
        QCOMPARE(supply->text(), QString("1502"));
        GuiHarness::retype(supply, "5");
        GuiHarness::retype(current, "1");
        QCOMPARE(results->text(), QString("R = 2999 Ohm, P = 0.00 W"));
        QCOMPARE(results2->text(), QString("Recommended: 3.0 KOhm, 0.125 W"));
        GuiHarness::retype(count, "3");
        QCOMPARE(results->text(), QString("Error: battery voltage is low"));
        QCOMPARE(results2->text(), QString(""));
        QTest::keyClick(count, Qt::Key_Return);
        QCOMPARE(results->text(), QString("Error: battery voltage is low"));

        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }

    void tabletOpensTheTabletLayoutWithItsPicture() {
        GuiHarness gui(true);
        auto* button = gui.find<QAbstractButton*>("onShowLed");
        QVERIFY(button && button->isEnabled());
        QWidget* menu = gui.page();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QCOMPARE(gui.page()->objectName(), QString("InfoLedsViewIPad"));
        auto* picture = gui.find<QLabel*>("m_cSchematic");
        QVERIFY(picture && !picture->pixmap().isNull());
        QVERIFY(picture->pixmap().width() > 400);
        QCOMPARE(gui.find<QLabel*>("m_cResults")->text(), QString("R = 500 Ohm, P = 0.20 W"));
    }
};

QTEST_MAIN(LedsScreenTest)
#include "LedsScreenTest.moc"
