#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTestSupport.h"
#include "gui/PickerWheels.h"

class ResistorScreenTest : public QObject {
    Q_OBJECT
private slots:
    void menuShowsElevenRowsWithTheResistorToolEnabled() {
        GuiHarness gui;
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(list);
        // the eleven tools, the heading of the bench tools and their four rows, the board and RF tools' heading
        // and their ten
        QCOMPARE(list->count(), 27);
        QCOMPARE(list->item(11)->text(), QString("More tools"));
        QVERIFY(!(list->item(11)->flags() & Qt::ItemIsEnabled));
        QCOMPARE(list->item(16)->text(), QString("PCB and RF"));
        QVERIFY(!(list->item(16)->flags() & Qt::ItemIsEnabled));
        QCOMPARE(list->item(1)->sizeHint().height(), 64);
        QVERIFY(list->item(1)->flags() & Qt::ItemIsEnabled);
        QCOMPARE(list->item(1)->background().color(), QColor::fromRgbF(0.95f, 0.95f, 0.95f));
        auto* title = list->itemWidget(list->item(1))->findChild<QLabel*>("m_cDescription");
        QVERIFY(title);
        QCOMPARE(title->text(), QString("Resistor colors"));
        QVERIFY(!list->itemWidget(list->item(1))->findChild<QLabel*>("m_cIcon")->pixmap().isNull());
    }

    void wheelsTurnedWithTheKeyboardRewriteTheResultAndBackReturnsToTheMenu() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(1));
        auto* wheels = gui.find<PickerWheels*>("m_cPickerView");
        auto* result = gui.find<QLabel*>("m_cResults");
        QVERIFY(wheels && result);
        QCOMPARE(wheels->wheelCount(), 6);
        QCOMPARE(result->text(), QString("Resistance: 10 Ohm +-20%"));
        // Yellow, Violet, none, Red, Gold: arrow keys on each focused wheel.
        const int presses[] = {3, 7, 0, 2, 2, 0};
        for (int c = 0; c < 6; ++c) {
            QListWidget* wheel = wheels->wheel(c);
            wheel->setFocus();
            for (int i = 0; i < presses[c]; ++i) QTest::keyClick(wheel, Qt::Key_Down);
        }
        QCOMPARE(result->text(), QString("Resistance: 4.7 KOhm +-5%"));
        // The swatch of "none" shows a dash.
        QCOMPARE(wheels->wheel(2)->item(0)->text(), QString("-"));
        QCOMPARE(wheels->wheel(0)->item(3)->background().color(), QColor::fromRgbF(1, 1, 0));

        auto* back = gui.find<QPushButton*>("onButtonBack");
        QVERIFY(back);
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }

    void escapeClosesTheScreen() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(1));
        QTest::keyClick(gui.page(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }

    void tabletMenuOffersTheToolsAsButtons() {
        GuiHarness gui(true);
        auto* button = gui.find<QAbstractButton*>("onShowResistor");
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QWidget* menu = gui.page();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QVERIFY(gui.find<PickerWheels*>("m_cPickerView"));
    }
};

QTEST_MAIN(ResistorScreenTest)
#include "ResistorScreenTest.moc"
