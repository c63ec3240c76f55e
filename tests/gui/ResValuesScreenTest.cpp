#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTestSupport.h"

class ResValuesScreenTest : public QObject {
    Q_OBJECT
private slots:
    void everyKeystrokeAndReturnRewriteTheResultAndBackReturnsToTheMenu() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(list);
        QVERIFY(list->item(2)->flags() & Qt::ItemIsEnabled);
        QVERIFY(gui.openMenuRow(2));

        auto* field = gui.find<QLineEdit*>("m_cResistance");
        auto* result = gui.find<QLabel*>("m_cResult");
        QVERIFY(field && result);
        QCOMPARE(field->text(), QString("12345"));
        QCOMPARE(result->text(), QString("Nearest value: 12 or 13 KOhm"));

        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_4);  // replaces the selection
        QCOMPARE(result->text(), QString("Nearest value: 3 or 10 Ohms"));
        QTest::keyClicks(field, "700");
        QCOMPARE(result->text(), QString("Nearest value: 4.7 KOhm"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(result->text(), QString("Nearest value: 4.7 KOhm"));

        // Its find button opens the value finder over the screen with the typed value; Escape comes back to it.
        QWidget* values = gui.page();
        QTest::mouseClick(gui.find<QPushButton*>("onShowValueFinder"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != values; }));
        QCOMPARE(gui.find<QLineEdit*>("m_cValue")->text(), QString("4700"));
        QVERIFY(gui.find<QLabel*>("m_cNearest")->text().startsWith(QString::fromUtf8("Nearest E24: 4.7\u00a0kΩ (0 %)")));
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == values; }));
        QCOMPARE(field->text(), QString("4700"));

        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, "-5");
        QCOMPARE(result->text(), QString("Incorrect value"));
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), QString());
        QCOMPARE(result->text(), QString("Incorrect value"));

        auto* back = gui.find<QPushButton*>("onButtonBack");
        QVERIFY(back);
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(ResValuesScreenTest)
#include "ResValuesScreenTest.moc"
