// What every wheel screen shares: a click on a row near the bottom of a wheel, which makes the wheel turn that
// row to its middle, selects exactly that row.
#include <QListWidget>
#include <QTest>

#include "gui/GuiTestSupport.h"
#include "gui/PickerWheels.h"
#include "platform/ui/PickerView.h"

class WheelScreensTest : public QObject {
    Q_OBJECT
private slots:
    void clickSelectsTheRowUnderThePointer_data() {
        QTest::addColumn<int>("menuRow");
        QTest::newRow("capacitor codes") << 0;
        QTest::newRow("resistor colours") << 1;
        QTest::newRow("inductor colours") << 4;
    }

    void clickSelectsTheRowUnderThePointer() {
        QFETCH(int, menuRow);
        GuiHarness gui;
        gui.window().resize(390, 420);  // short wheels, so the lower rows are near the bottom edge
        QVERIFY(gui.openMenuRow(menuRow));
        auto* wheels = gui.find<PickerWheels*>("m_cPickerView");
        auto* model = dynamic_cast<PickerView*>(gui.window().topScreen()->outlet("m_cPickerView"));
        QVERIFY(wheels && model);
        for (int c = 0; c < wheels->wheelCount(); ++c) {
            QListWidget* wheel = wheels->wheel(c);
            // Twice: from the wheel at rest on its first row, then from a wheel already turned.
            for (int click = 0; click < 2; ++click) {
                int low = wheel->count() - 1;  // the lowest row wholly in sight
                while (low > 0 && !wheel->viewport()->rect().contains(wheel->visualItemRect(wheel->item(low)))) --low;
                QTest::mouseClick(wheel->viewport(), Qt::LeftButton, {}, wheel->visualItemRect(wheel->item(low)).center());
                GuiHarness::settle(30);
                QCOMPARE(model->selectedRowInComponent(c), low);
                QCOMPARE(wheel->currentRow(), low);
                const QList<QListWidgetItem*> highlighted = wheel->selectedItems();
                QCOMPARE(highlighted.size(), 1);
                QCOMPARE(wheel->row(highlighted.first()), low);
            }
        }
    }
};

QTEST_MAIN(WheelScreensTest)
#include "WheelScreensTest.moc"
