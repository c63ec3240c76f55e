// The window around the screens: it fits the screen it opens on, keeps wide content readable, names the tool
// in its title, explains the tool on F1, quits on Ctrl+Q, and the tablet menu works from the keyboard.
#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <set>

#include "gui/ElidedLabel.h"
#include "gui/GuiTestSupport.h"
#include "gui/ScreenBinder.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyInterfaceFileBindsEveryOutletOfItsScreen() {
        std::set<QString> bound;
        for (bool tablet : {false, true}) {
            GuiHarness gui(tablet);
            // Binding throws on an outlet without a fitting widget, which fails the walk.
            QVERIFY(gui.visitEveryScreen([&] {
                bound.insert(gui.page()->objectName());
                for (auto* list : gui.page()->findChildren<QListWidget*>())
                    for (int i = 0; i < list->count(); ++i)
                        if (QWidget* row = list->itemWidget(list->item(i))) bound.insert(row->objectName());
                // A form a widget builds itself from (the document view's) finds each of its parts or throws.
                for (auto* part : gui.page()->findChildren<QWidget*>())
                    if (QFile::exists(":/ui/" + part->objectName() + ".ui")) bound.insert(part->objectName());
            }));
        }
        const QStringList files = QDir(":/ui").entryList({"*.ui"});
        QStringList screens = QStringList(files).replaceInStrings(".ui", "");
        screens.sort();
        QCOMPARE(QStringList(bound.begin(), bound.end()), screens);
        for (const QString& name : files) {  // one element per line, so a change shows as the lines it touches
            QFile ui(":/ui/" + name);
            QVERIFY(ui.open(QIODevice::ReadOnly));
            for (const QByteArray& line : ui.readAll().split('\n'))
                QVERIFY2(line.count("<property") + line.count("<widget") + line.count("<item") + line.count("<layout") <= 1,
                         qPrintable(name + ": " + line.left(120)));
        }

        // A name without a widget, and a widget that cannot draw its model, are faults found at once.
        QWidget root;
        root.setObjectName("root");
        (new QLabel(&root))->setObjectName("m_cResults");
        Label label;
        TextField field;
        const std::pair<std::string, View*> faults[] = {{"m_cResult", &label}, {"m_cResults", &field}};
        for (const auto& outlet : faults)
            QVERIFY_THROWS_EXCEPTION(std::logic_error, ScreenBinder::bindOutlets({outlet}, &root, "root"));
        ScreenBinder::bindOutlets({{"m_cResults", &label}}, &root, "root");
    }

    // At the smallest window every screen fits its width (text wraps, nothing is cut or scrolls sideways); every
    // control, list row and wheel row has a name a screen reader can say, a result is read as the value it shows,
    // and Tab stops only at named controls, in the order they are read (the top bar's aside).
    void everyScreenFitsTheSmallestWindowAndNamesEveryControl_data() {
        QTest::addColumn<bool>("tablet");
        QTest::newRow("phone") << false;
        QTest::newRow("tablet") << true;
    }

    void everyScreenFitsTheSmallestWindowAndNamesEveryControl() {
        QFETCH(bool, tablet);
        GuiHarness gui(tablet);
        gui.window().resize(320, 400);
        QCOMPARE(gui.window().size(), QSize(320, 400));
        auto name = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); };
        QStringList faults;
        QVERIFY(gui.visitEveryScreen([&] {
            GuiHarness::settle(20);
            QWidget* page = gui.page();
            const QString screen = page->objectName() + ": ";
            auto* scroll = qobject_cast<QScrollArea*>(gui.window().currentWidget());
            if (page->width() > scroll->viewport()->width()) faults << screen + "wider than the window";
            for (auto* area : page->findChildren<QScrollArea*>())
                if (area->isVisibleTo(page) && area->horizontalScrollBar()->maximum() > 0)
                    faults << screen + area->objectName() + " scrolls sideways";
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(page)) continue;
                const QString what = screen + w->objectName() + " (" + w->metaObject()->className() + ")";
                if (auto* title = qobject_cast<ElidedLabel*>(w); title && title->shownText() != title->text())
                    faults << what + " cut: " + title->text();
                auto* label = qobject_cast<QLabel*>(w);
                if (label && !label->wordWrap() && label->pixmap().isNull() && !w->inherits("ElidedLabel") &&
                    label->sizeHint().width() > label->width())
                    faults << what + " cut: " + label->text();
                if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && name(w).isEmpty()) faults << what + " unnamed";
                if (auto* list = qobject_cast<QListWidget*>(w))
                    for (int r = 0; r < list->count(); ++r)
                        if (list->item(r)->text().trimmed().isEmpty() &&
                            list->item(r)->data(Qt::AccessibleTextRole).toString().trimmed().isEmpty())
                            faults << what + QString(" row %1 unnamed").arg(r);
            }
            for (const auto& [outlet, model] : gui.window().topScreen()->outlets()) {
                auto* result = dynamic_cast<Label*>(model);
                auto* w = page->findChild<QLabel*>(QString::fromStdString(outlet));
                if (!result || !result->isTextSet() || result->text().empty() || !w || !w->isVisibleTo(page) ||
                    w->metaObject() != &QLabel::staticMetaObject)
                    continue;
                QTextDocument shown;
                shown.setHtml(w->text());
                const QString value = Qt::mightBeRichText(w->text()) ? shown.toPlainText() : w->text();
                if (name(w) != value) faults << screen + w->objectName() + " is read as \"" + name(w) + "\", not its value";
            }
            QWidget* topBar = page->findChild<QWidget*>("topBar");
            QList<QWidget*> stops;
            for (QWidget* w = gui.window().focusWidget(); w && !stops.contains(w) && stops.size() < 80;
                 w = gui.window().focusWidget()) {
                stops << w;
                if (name(w).isEmpty()) faults << screen + "Tab stops at an unnamed " + w->metaObject()->className();
                QTest::keyClick(w, Qt::Key_Tab);
            }
            // Read in rows, top to bottom: a stop above the one before it, or left of it on its row, goes back.
            // Once round the cycle, one step goes back to the start.
            QList<QRect> read;
            for (QWidget* w : stops)
                if (page->isAncestorOf(w) && !(topBar && topBar->isAncestorOf(w)))
                    read << QRect(w->mapTo(page, QPoint(0, 0)), w->size());
            int backwards = 0;
            for (qsizetype i = 0; i < read.size(); ++i) {
                const QRect a = read[i], b = read[(i + 1) % read.size()];
                backwards += b.center().y() < a.top() || (b.center().y() <= a.bottom() && b.right() <= a.left());
            }
            if (backwards > 1) faults << screen + QString("Tab goes back up or left %1 times").arg(backwards - 1);
        }));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Without a software centre, both ways to rate the program say why nothing opens.
    void ratingWithoutASoftwareCentreSaysWhy() {
        QTemporaryDir desktop;  // a desktop of the test's own, where nothing handles the rating address
        for (const char* var : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
            qunsetenv(var);
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
            qputenv(var, desktop.filePath(var).toUtf8());
        GuiHarness gui;
        auto messageSaying = [&](const QString& text) {
            for (auto* box : gui.window().findChildren<QMessageBox*>())
                if (box->isVisible() && (box->text() + box->informativeText()).contains(text)) return box;
            return static_cast<QMessageBox*>(nullptr);
        };
        for (bool fromPrompt : {true, false}) {
            if (fromPrompt) {
                gui.delegate().showRateDialog();
                QVERIFY(GuiHarness::waitFor([&] { return messageSaying("please rate it"); }));
                QMessageBox* prompt = messageSaying("please rate it");
                for (QAbstractButton* b : prompt->buttons())
                    if (b->text() == "Rate") b->click();
            } else {
                QVERIFY(gui.window().topScreen()->sendAction("onButtonRate"));
            }
            QVERIFY(GuiHarness::waitFor([&] { return messageSaying("No software centre"); }));
            messageSaying("No software centre")->close();
            QVERIFY(GuiHarness::waitFor([&] { return !messageSaying("No software centre"); }));
        }
    }

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
        auto* help = gui.window().findChild<QDialog*>("helpBox");
        QVERIFY(help && help->isVisible());
        QVERIFY(help->findChild<QLabel*>("helpText")->text().contains("T = 1.1"));
        QVERIFY(help->width() <= gui.window().width() && help->height() <= gui.window().height());
        help->close();
        QVERIFY(GuiHarness::waitFor([&] { return !gui.window().findChild<QDialog*>("helpBox"); }));
        QTest::mouseClick(gui.find<QAbstractButton*>("helpButton"), Qt::LeftButton);
        help = gui.window().findChild<QDialog*>("helpBox");
        QVERIFY(help && help->isVisible());
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return !gui.window().findChild<QDialog*>("helpBox"); }));
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
        for (const char* name : {"onShowResistor", "onShowResistorValues", "onShowDatasheet", "onShowIdentify"})
            QVERIFY(std::abs(tile(name)->width() - tile("onShowCapacitor")->width()) <= 1);  // pixels left over
        QCOMPARE(gui.window().focusWidget(), tile("onShowCapacitor"));
        const std::pair<Qt::Key, const char*> moves[] = {
            {Qt::Key_Right, "onShowResistor"}, {Qt::Key_Down, "onShowInd"},    {Qt::Key_Down, "onShowVoltageDrop"},
            {Qt::Key_Left, "onShowWires"},     {Qt::Key_Up, "onShowResistorSMD"}, {Qt::Key_Up, "onShowCapacitor"},
            {Qt::Key_Up, "onShowCapacitor"},  // the edge keeps the focus
            {Qt::Key_End, "onShowDatasheet"},  {Qt::Key_Down, "onShowDivider"},   {Qt::Key_Up, "onShowDatasheet"},
            {Qt::Key_Home, "onShowCapacitor"}, {Qt::Key_Right, "onShowResistor"},
        };
        for (const auto& [key, expected] : moves) {
            QTest::keyClick(gui.window().focusWidget(), key);
            QCOMPARE(gui.window().focusWidget(), tile(expected));
        }
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Return);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QCOMPARE(gui.window().topScreen()->nibName(), std::string("InfoResistorsView"));
        QTest::keyClick(gui.window().focusWidget(), Qt::Key_Escape);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == menu; }));
        QCOMPARE(gui.window().focusWidget(), tile("onShowResistor"));  // back where the user was
        tile("onShowLed")->setFocus();
        QTest::keyClick(tile("onShowLed"), Qt::Key_Space);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QCOMPARE(gui.window().topScreen()->nibName(), std::string("InfoLedsViewIPad"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
