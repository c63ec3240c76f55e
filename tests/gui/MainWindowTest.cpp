// The window around the screens: it fits the screen it opens on, keeps wide content readable, names the tool
// in its title, explains the tool on F1, quits on Ctrl+Q, and the tablet menu works from the keyboard.
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include "gui/GuiTestSupport.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowFitsTheScreenAndTheBottomStripCanBeReached() {
        GuiHarness gui(true);
        const QRect screen = gui.window().screen()->availableGeometry();
        QVERIFY(gui.window().width() <= screen.width() && gui.window().height() <= screen.height());
        gui.window().resize(gui.window().width(), 500);  // shorter than the tablet menu
        QVERIFY(gui.window().minimumSizeHint().height() <= 500);
        QVERIFY(gui.window().topScreen()->sendAction("onShowDatasheet"));
        GuiHarness::settle(50);
        auto* ftp = gui.find<QAbstractButton*>("onButtonFTP");
        auto* scroll = qobject_cast<QScrollArea*>(gui.window().currentWidget());
        QVERIFY(ftp && scroll);
        scroll->ensureWidgetVisible(ftp);
        const QRect shown(ftp->mapTo(&gui.window(), QPoint(0, 0)), ftp->size());
        QVERIFY(gui.window().rect().contains(shown));
    }

    void onAWideWindowFieldsAndResultsKeepAReadableWidthCentred() {
        GuiHarness gui(true);
        gui.window().resize(1200, 700);
        QVERIFY(gui.window().topScreen()->sendAction("onShowLed"));
        GuiHarness::settle(50);
        auto* field = gui.find<QWidget*>("m_cVoltage");
        auto* result = gui.find<QWidget*>("m_cResults");
        QVERIFY(field && result);
        QVERIFY(field->width() < MainWindow::kContentWidth);
        QVERIFY(result->width() <= MainWindow::kContentWidth);
        const int centre = result->mapTo(&gui.window(), result->rect().center()).x();
        QVERIFY(std::abs(centre - gui.window().width() / 2) < 20);
        auto* bar = gui.find<QWidget*>("topBar");
        QCOMPARE(bar->width(), gui.page()->width());  // the bar still spans the window
    }

    void theTitleNamesTheToolAndF1ExplainsItsFormula() {
        GuiHarness gui;
        QCOMPARE(gui.window().windowTitle(), QString("Velkaro"));
        QVERIFY(gui.window().topScreen()->sendAction("onShowNE555"));
        GuiHarness::settle(50);
        QVERIFY(gui.window().windowTitle().startsWith("NE555 timer calc"));
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_F1);
        auto* help = gui.window().findChild<QMessageBox*>("helpBox");
        QVERIFY(help && help->isVisible());
        QVERIFY(help->text().contains("T = 1.1"));
        help->close();
        QVERIFY(GuiHarness::waitFor([&] { return !gui.window().findChild<QMessageBox*>("helpBox"); }));
        QTest::mouseClick(gui.find<QAbstractButton*>("helpButton"), Qt::LeftButton);
        help = gui.window().findChild<QMessageBox*>("helpBox");
        QVERIFY(help && help->isVisible());
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return !gui.window().findChild<QMessageBox*>("helpBox"); }));
        QTest::mouseClick(gui.find<QAbstractButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.window().windowTitle() == "Velkaro"; }));
        gui.window().activateWindow();  // back from the help box, as the desktop would make it
        QVERIFY(QTest::qWaitForWindowActive(&gui.window()));
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!gui.window().isVisible());
    }

    void theTabletMenuWorksFromTheKeyboard() {
        GuiHarness gui(true);
        QWidget* menu = gui.page();
        auto tile = [&](const char* name) { return gui.find<QWidget*>(name); };
        QCOMPARE(gui.window().focusWidget(), tile("onShowCapacitor"));
        const std::pair<Qt::Key, const char*> moves[] = {
            {Qt::Key_Right, "onShowResistor"}, {Qt::Key_Down, "onShowInd"},    {Qt::Key_Down, "onShowVoltageDrop"},
            {Qt::Key_Left, "onShowWires"},     {Qt::Key_Up, "onShowResistorSMD"}, {Qt::Key_Up, "onShowCapacitor"},
            {Qt::Key_Up, "onShowCapacitor"},  // the edge keeps the focus
        };
        for (const auto& [key, expected] : moves) {
            QTest::keyClick(gui.window().focusWidget(), key);
            QCOMPARE(gui.window().focusWidget(), tile(expected));
        }
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Return);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QCOMPARE(gui.window().topScreen()->nibName(), std::string("InfoCapacitorsView"));
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
        tile("onShowLed")->setFocus();
        QTest::keyClick(tile("onShowLed"), Qt::Key_Space);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QCOMPARE(gui.window().topScreen()->nibName(), std::string("InfoLedsViewIPad"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
