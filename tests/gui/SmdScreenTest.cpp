#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "gui/GuiTestSupport.h"

class SmdScreenTest : public QObject {
    Q_OBJECT
private slots:
    void typedMarkingsRewriteTheResultAndEscapeCloses() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(list);
        QVERIFY(list->item(3)->flags() & Qt::ItemIsEnabled);
        QVERIFY(gui.openMenuRow(3));

        auto* field = gui.find<QLineEdit*>("m_cResistance");
        auto* result = gui.find<QLabel*>("m_cResult");
        QVERIFY(field && result);
        QCOMPARE(field->text(), QString("4501"));
        QCOMPARE(result->text(), QString("Results: 4.500 KOhm"));

        const std::pair<const char*, const char*> markings[] = {
            {"4r7", "Results: 4.7 Ohm"},
            {"472", "Results: 4.7 KOhm"},
            {"96f", "Results: 97.6 MOhm"},
            {"1007", "Value too big for SMD"},
            {"97A", "Result: incorrect value"},
        };
        QTest::mouseClick(field, Qt::LeftButton);
        for (const auto& [marking, expected] : markings) {
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, marking);
            QCOMPARE(field->text(), QString(marking));
            QCOMPARE(result->text(), QString(expected));
        }
        // Every keystroke recomputes: one character more is another length rule.
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(result->text(), QString("Results: invalid value"));

        QTest::keyClick(gui.page(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(SmdScreenTest)
#include "SmdScreenTest.moc"
