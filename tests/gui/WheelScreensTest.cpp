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

    // The wheels take the height the window gives them, and keep it whatever length the result has.
    void theWheelsTakeTheHeightAndKeepIt_data() { clickSelectsTheRowUnderThePointer_data(); }

    void theWheelsTakeTheHeightAndKeepIt() {
        QFETCH(int, menuRow);
        GuiHarness gui;
        gui.window().resize(320, 720);
        QVERIFY(gui.openMenuRow(menuRow));
        GuiHarness::settle(30);
        auto* wheels = gui.find<PickerWheels*>("m_cPickerView");
        auto* model = dynamic_cast<PickerView*>(gui.window().topScreen()->outlet("m_cPickerView"));
        const int height = wheels->height();
        QVERIFY2(height > 720 / 2, qPrintable(QString::number(height)));
        for (int row : {1, 3}) {  // results of other lengths
            for (int c = 0; c < wheels->wheelCount(); ++c)
                model->userSelectRow(std::min(row, model->numberOfRowsInComponent(c) - 1), c);
            GuiHarness::settle(30);
            QCOMPARE(wheels->height(), height);
        }
    }

    // Typing a colour's first letters (or a code's digits) turns the focused wheel to that row; one letter typed
    // again steps to the next row starting with it.
    void typingTurnsTheWheelToTheRowNamed() {
        const struct {
            int menuRow, wheel;
            const char* typed;
            const char* row;
        } cases[] = {
            {1, 1, "blu", "Blue"}, {1, 1, "bla", "Black"}, {1, 1, "gr", "Green"},  {1, 1, "gra", "Gray"},
            {1, 1, "w", "White"},  {1, 1, "bb", "Brown"},   {4, 2, "s", "Silver"}, {0, 0, "4", "4"},
        };
        for (const auto& c : cases) {
            GuiHarness gui;
            QVERIFY(gui.openMenuRow(c.menuRow));
            QListWidget* wheel = gui.find<PickerWheels*>("m_cPickerView")->wheel(c.wheel);
            auto* model = dynamic_cast<PickerView*>(gui.window().topScreen()->outlet("m_cPickerView"));
            wheel->setFocus();
            wheel->setCurrentRow(0);
            QTest::keyClicks(wheel, c.typed);
            const QListWidgetItem* item = wheel->currentItem();
            const QString name = item->data(Qt::AccessibleTextRole).toString();
            QCOMPARE(name.isEmpty() ? item->text() : name, QString(c.row));
            QCOMPARE(model->selectedRowInComponent(c.wheel), wheel->currentRow());
            if (!name.isEmpty()) QCOMPARE(item->toolTip(), name);
        }
    }
};

QTEST_MAIN(WheelScreensTest)
#include "WheelScreensTest.moc"
