#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTestSupport.h"

namespace {
constexpr int kSolarRow = 9;


QString rowText(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    return item->text().isEmpty() ? item->data(Qt::AccessibleTextRole).toString() : item->text();
}
}  // namespace

class SolarScreenTest : public QObject {
    Q_OBJECT
private slots:
    void addingAndDeletingLoadsRecomputesTheSixResults() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kSolarRow));
        auto* list = gui.find<QListWidget*>("m_cTable");
        auto* add = gui.find<QPushButton*>("onButtonAddItem");
        auto* del = gui.find<QPushButton*>("onButtonDelItems");
        QVERIFY(list && add && del);
        auto results = [&] {
            QStringList out;
            for (const char* name : {"m_cResult1", "m_cResult2", "m_cResult3", "m_cResult4", "m_cResult5", "m_cResult6"})
                out << gui.find<QLabel*>(name)->text();
            return out;
        };
        QCOMPARE(results(), (QStringList{"0.0 Wh", "0.0 Ah", "0.0 Ah", "0.0 Ah", "--", "--"}));
        QCOMPARE(list->count(), 0);

        // Delete on an empty list does nothing.
        QTest::mouseClick(del, Qt::LeftButton);
        QVERIFY(list->findChildren<QPushButton*>("deleteRow").isEmpty());

        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(list->count(), 1);
        QCOMPARE(rowText(list, 0), QString("LED lamp, 4.0h, 36.0Wh"));
        QCOMPARE(results(), (QStringList{"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "1", "13.4 W"}));

        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemName"), "TV");
        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemPower"), "60");
        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemUsage"), "5");
        QTest::mouseClick(add, Qt::LeftButton);
        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemName"), "Fridge");
        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemPower"), "120");
        GuiHarness::retype(gui.find<QLineEdit*>("m_cItemUsage"), "8");
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(list->count(), 3);
        QCOMPARE(rowText(list, 2), QString("Fridge, 8.0h, 960.0Wh"));
        QCOMPARE(results(), (QStringList{"1296.0 Wh", "129.6 Ah", "259.2 Ah", "25.9 Ah", "12", "13.4 W"}));
        // Alternate rows shaded.
        QCOMPARE(list->item(1)->background().color(), QColor::fromRgbF(0.95f, 0.95f, 0.95f));
        QCOMPARE(list->item(0)->background().color().alpha(), 0);

        GuiHarness::retype(gui.find<QLineEdit*>("m_cVoltage"), "24");
        QCOMPARE(results()[1], QString("64.8 Ah"));

        // Delete mode: each row offers its delete button; deleting TV leaves two rows.
        QTest::mouseClick(del, Qt::LeftButton);
        auto buttons = list->findChildren<QPushButton*>("deleteRow");
        QCOMPARE(buttons.size(), 3);
        QTest::mouseClick(list->itemWidget(list->item(1))->findChild<QPushButton*>("deleteRow"), Qt::LeftButton);
        // The row fades out first; the list takes no clicks until it has closed up.
        QCOMPARE(list->count(), 3);
        QVERIFY(!list->isEnabled());
        QVERIFY(GuiHarness::waitFor([&] { return list->count() == 2; }));
        QVERIFY(list->isEnabled());
        QCOMPARE(rowText(list, 1), QString("Fridge, 8.0h, 960.0Wh"));
        QCOMPARE(results()[0], QString("996.0 Wh"));
        // Deleting the last rows leaves delete mode by itself.
        QTest::mouseClick(list->itemWidget(list->item(0))->findChild<QPushButton*>("deleteRow"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return list->count() == 1; }));
        QTest::mouseClick(list->itemWidget(list->item(0))->findChild<QPushButton*>("deleteRow"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return list->count() == 0; }));
        QCOMPARE(results()[0], QString("0.0 Wh"));
        // Out of delete mode again: a new row is plain text, without a delete button.
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(list->count(), 1);
        QVERIFY(!list->itemWidget(list->item(0)));
        QCOMPARE(list->item(0)->text(), QString("Fridge, 8.0h, 960.0Wh"));  // the item fields kept their texts

        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }

    // Every action of the screen from the keyboard: Return presses a focused button as Space does, and Enter in
    // a load's field presses Add load; in delete mode
    // Delete, Return or Space on a row deletes it, and Tab from the list reaches each row's Delete button.
    void everyActionWorksFromTheKeyboard() {
        GuiHarness gui;
        QVERIFY(gui.openMenuRow(kSolarRow));
        auto* list = gui.find<QListWidget*>("m_cTable");
        auto deleteButtons = [&] { return list->findChildren<QPushButton*>("deleteRow").size(); };
        const struct {
            const char* focus;
            std::vector<Qt::Key> keys;
            int rows, buttons;
        } steps[] = {
            {"onButtonAddItem", {Qt::Key_Return}, 1, 0},
            {"onButtonAddItem", {Qt::Key_Enter}, 2, 0},
            {"onButtonAddItem", {Qt::Key_Space}, 3, 0},
            {"m_cItemName", {Qt::Key_Return}, 4, 0},  // Enter in a load's field adds it, as its form's button
            {"m_cItemUsage", {Qt::Key_Enter}, 5, 0},
            {"onButtonDelItems", {Qt::Key_Return}, 5, 5},
            {"m_cTable", {Qt::Key_Down, Qt::Key_Delete}, 4, 4},
            {"m_cTable", {Qt::Key_Down, Qt::Key_Delete}, 3, 3},
            {"m_cTable", {Qt::Key_Return}, 2, 2},
            {"m_cTable", {Qt::Key_Space}, 1, 1},
            {"m_cTable", {Qt::Key_Tab, Qt::Key_Return}, 0, 0},  // the row's own Delete button
        };
        for (const auto& step : steps) {
            gui.find<QWidget*>(step.focus)->setFocus();
            for (Qt::Key key : step.keys) QTest::keyClick(QApplication::focusWidget(), key);
            QVERIFY2(GuiHarness::waitFor([&] { return list->count() == step.rows && deleteButtons() == step.buttons; }),
                     step.focus);
        }
    }
};

QTEST_MAIN(SolarScreenTest)
#include "SolarScreenTest.moc"
