#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextTable>

#include "gui/GuiTestSupport.h"

namespace {
constexpr int kWiresRow = 6;
}

class WiresScreenTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheGaugeTableAndBackReturnsToTheMenu() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(kWiresRow));
        auto* document = gui.find<QTextBrowser*>("m_cHTMLData");
        QVERIFY(document);
        QVERIFY(GuiHarness::waitFor([&] { return !document->toPlainText().isEmpty(); }));
        const QString text = document->toPlainText();
        QVERIFY(text.contains("Wire current load limits"));
        QVERIFY(text.contains("0000"));
        QVERIFY(text.contains("3441"));  // AWG 40, ohms per km
        QVERIFY(text.contains("Source"));
        // The table is a real table, one row per gauge plus the header.
        QTextCursor cursor(document->document());
        QTextTable* table = nullptr;
        while (!cursor.atEnd() && !(table = cursor.currentTable())) cursor.movePosition(QTextCursor::NextBlock);
        QVERIFY(table);
        QCOMPARE(table->rows(), 45);
        QCOMPARE(table->columns(), 6);
        QCOMPARE(table->cellAt(1, 0).firstCursorPosition().block().text(), QString("0000"));
        QCOMPARE(table->cellAt(44, 0).firstCursorPosition().block().text(), QString("40"));

        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(WiresScreenTest)
#include "WiresScreenTest.moc"
