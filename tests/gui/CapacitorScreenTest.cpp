#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "gui/GuiTestSupport.h"
#include "gui/PickerWheels.h"

namespace {

// The fragment as the text browser shows it, one line per <BR/>.
QString shownText(QTextBrowser* browser) {
    return browser->toPlainText().replace(QChar::LineSeparator, '\n');
}

}  // namespace

class CapacitorScreenTest : public QObject {
    Q_OBJECT
private slots:
    void wheelsTurnedWithTheKeyboardRewriteTheFragmentAndBackReturnsToTheMenu() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(list);
        QVERIFY(list->item(0)->flags() & Qt::ItemIsEnabled);
        QVERIFY(gui.openMenuRow(0));

        auto* wheels = gui.find<PickerWheels*>("m_cPickerView");
        auto* browser = gui.find<QTextBrowser*>("m_cResultsHTMLView");
        QVERIFY(wheels && browser);
        QCOMPARE(wheels->wheelCount(), 4);
        QCOMPARE(shownText(browser), QString("Selected capacitor: 109 \nCapacitance:\n1.0 pF\n0.001 nF\n0.000001 uF"));
        QCOMPARE(wheels->wheel(2)->item(0)->text(), QString("9"));
        QCOMPARE(wheels->wheel(3)->count(), 14);
        QCOMPARE(wheels->wheel(3)->item(13)->text(), QString("N"));

        // 4, 7, 4, K: arrow keys on each focused wheel.
        const int presses[] = {3, 7, 5, 6};
        for (int c = 0; c < 4; ++c) {
            QListWidget* wheel = wheels->wheel(c);
            wheel->setFocus();
            for (int i = 0; i < presses[c]; ++i) QTest::keyClick(wheel, Qt::Key_Down);
        }
        QCOMPARE(shownText(browser), QString("Selected capacitor: 474K\nCapacitance:\n470000 pF\n470 nF\n0.47 uF\n"
                                             "Tolerance: +/- 10%"));
        QVERIFY(browser->toHtml().contains("font-weight:700") || browser->toHtml().contains("font-weight:600"));

        auto* back = gui.find<QPushButton*>("onButtonBack");
        QVERIFY(back);
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
    }
};

QTEST_MAIN(CapacitorScreenTest)
#include "CapacitorScreenTest.moc"
