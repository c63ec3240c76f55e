// Every screen reads in the light and the dark palette, and the palette follows the desktop's colour scheme as
// the freedesktop settings portal tells it (served here by a fake portal on a private session bus).
#include <QAbstractButton>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>

#include "datasheets/DocumentsFolder.h"
#include "gui/DesktopColorScheme.h"
#include "gui/GuiTestSupport.h"
#include "gui/Theme.h"

namespace {

// How far the text of a picture stands out: the contrast ratio between its most common colour (the background)
// and the colour farthest from it (the text's core).
double textContrast(const QImage& picture) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ++counts[picture.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    double best = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        best = std::max(best, Theme::contrast(QColor(background), QColor(it.key())));
    return best;
}

// Every visible text of the window, as the part of its picture that shows it, with a name to report it by.
QList<QPair<QString, QImage>> visibleTexts(QWidget* window) {
    const QImage shot = window->grab().toImage();
    auto part = [&](QWidget* w, QRect rect) { return shot.copy(QRect(w->mapTo(window, rect.topLeft()), rect.size())); };
    QList<QPair<QString, QImage>> texts;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QRect shown = w->visibleRegion().boundingRect();
        if (!w->isVisible() || shown.isEmpty()) continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) text = label->text();
        else if (auto* field = qobject_cast<QLineEdit*>(w)) text = field->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        else if (auto* browser = qobject_cast<QTextBrowser*>(w)) text = browser->toPlainText();
        if (!text.trimmed().isEmpty()) texts.append({w->objectName() + ": " + text, part(w, shown)});
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i) {
                const QRect row = list->visualItemRect(list->item(i)) & list->viewport()->rect();
                if (row.height() > 20 && (!list->item(i)->text().trimmed().isEmpty() || list->itemWidget(list->item(i))))
                    texts.append({list->objectName() + " row " + QString::number(i), part(list->viewport(), row)});
            }
    }
    return texts;
}

// The settings portal of a desktop whose colour scheme the test chooses.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint scheme = DesktopColorScheme::PreferDark;
    void change(uint value) {
        scheme = value;
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/portal/desktop",
                                                         "org.freedesktop.portal.Settings", "SettingChanged");
        signal << QString("org.freedesktop.appearance") << QString("color-scheme") << QVariant::fromValue(QDBusVariant(value));
        QDBusConnection("portal").send(signal);
    }
public slots:
    QDBusVariant Read(const QString&, const QString&) { return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme))); }
};

}  // namespace

class ThemeTest : public QObject {
    Q_OBJECT
    QProcess bus_;
    FakePortal portal_;

private slots:
    void initTestCase() {
        // A private session bus for the whole run, before anything asks for the session bus.
        qputenv("VELKARO_COLOR_SCHEME", "desktop");
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) return;
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY(bus_.waitForReadyRead(5000));
        const QByteArray address = bus_.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection portalSide = QDBusConnection::connectToBus(QString::fromUtf8(address), "portal");
        QVERIFY(portalSide.registerObject("/org/freedesktop/portal/desktop", &portal_,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(portalSide.registerService("org.freedesktop.portal.Desktop"));
    }
    void cleanupTestCase() {
        bus_.terminate();
        bus_.waitForFinished(3000);
    }

    // First, so the portal's first answer comes in while this test waits for it.
    void thePaletteFollowsTheDesktopsColourScheme() {
        if (bus_.state() != QProcess::Running) QSKIP("dbus-daemon is not installed");
        GuiHarness gui;
        QVERIFY(GuiHarness::waitFor([] { return Theme::isDark(QApplication::palette()); }));
        portal_.change(DesktopColorScheme::PreferLight);
        QVERIFY(GuiHarness::waitFor([] { return !Theme::isDark(QApplication::palette()); }));
        portal_.change(DesktopColorScheme::PreferDark);
        QVERIFY(GuiHarness::waitFor([] { return Theme::isDark(QApplication::palette()); }));
        GuiHarness::settle(50);
        for (const auto& [name, picture] : visibleTexts(&gui.window()))
            QVERIFY2(textContrast(picture) >= 4.5, qPrintable(name + " is hard to read"));
    }

    void everyScreenReads_data() {
        QTest::addColumn<int>("scheme");
        QTest::addColumn<bool>("tablet");
        QTest::addColumn<QStringList>("actions");
        const QList<QPair<const char*, QStringList>> screens = {
            {"menu", {}},
            {"capacitor", {"onShowCapacitor"}},
            {"resistor", {"onShowResistor"}},
            {"values", {"onShowResistorValues"}},
            {"smd", {"onShowResistorSMD"}},
            {"inductor", {"onShowInd"}},
            {"led", {"onShowLed"}},
            {"wires", {"onShowWires"}},
            {"drop", {"onShowVoltageDrop"}},
            {"ne555", {"onShowNE555"}},
            {"solar", {"onShowSolarCalc", "onButtonAddItem", "onButtonAddItem"}},
            {"datasheets", {"onShowDatasheet"}},
            {"transfer", {"onShowDatasheet", "onButtonFTP"}},
            {"value finder", {"onShowValueFinder"}},
            {"divider", {"onShowDivider"}},
            {"regulator", {"onShowRegulator"}},
            {"identify", {"onShowIdentify"}},
        };
        for (int scheme : {DesktopColorScheme::PreferLight, DesktopColorScheme::PreferDark}) {
            const char* look = scheme == DesktopColorScheme::PreferDark ? "dark" : "light";
            for (const auto& [name, actions] : screens)
                QTest::addRow("%s %s", look, name) << scheme << false << actions;
            QTest::addRow("%s tablet menu", look) << scheme << true << QStringList{};
            QTest::addRow("%s tablet led", look) << scheme << true << QStringList{"onShowLed"};
        }
    }

    void everyScreenReads() {
        QFETCH(int, scheme);
        QFETCH(bool, tablet);
        QFETCH(QStringList, actions);
        GuiHarness gui(tablet);
        Theme::shared().setPreference(scheme);
        QFile note(QString::fromStdString(DocumentsFolder::pathForName("notes.txt")));
        QVERIFY(note.open(QIODevice::WriteOnly) && note.write("R1 = 1k") > 0);
        note.close();
        for (const QString& action : actions) {
            QVERIFY(gui.window().topScreen()->sendAction(action.toStdString()));
            GuiHarness::settle(50);
        }
        GuiHarness::settle(100);
        // Pages and drawings made for white paper follow a dark palette too (the QR code's card stays white).
        if (scheme == DesktopColorScheme::PreferDark && !actions.contains("onButtonFTP")) {
            const QImage shot = gui.window().grab().toImage();
            qsizetype white = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) white += QColor(shot.pixel(x, y)).lightnessF() > 0.9;
            QVERIFY2(white * 20 < shot.width() * shot.height(), "a white area in the dark palette");
        }
        const auto texts = visibleTexts(&gui.window());
        QVERIFY(texts.size() > 1);
        for (const auto& [name, picture] : texts)
            QVERIFY2(textContrast(picture) >= 4.5, qPrintable(name + " is hard to read"));
    }
};

QTEST_MAIN(ThemeTest)
#include "ThemeTest.moc"
