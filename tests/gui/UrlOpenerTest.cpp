// The handler look-up behind the rate button: xdg-open takes any address and fails out of sight, so an address
// of a scheme that nothing on the desktop handles must be refused up front (the program then says so).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "gui/UrlOpener.h"

class UrlOpenerTest : public QObject {
    Q_OBJECT
private slots:
    void aSchemeHasAHandlerOnlyWhenTheDesktopNamesOne_data() {
        QTest::addColumn<bool>("registered");
        QTest::newRow("no software centre") << false;
        QTest::newRow("a software centre for appstream:") << true;
    }
    void aSchemeHasAHandlerOnlyWhenTheDesktopNamesOne() {
        QFETCH(bool, registered);
        // A desktop of the test's own: no system-wide handlers, no desktop environment's own look-up.
        QTemporaryDir home;
        for (const char* var :
             {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
            qunsetenv(var);
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_DIRS", home.filePath("etc").toUtf8());
        qputenv("XDG_DATA_DIRS", home.filePath("share").toUtf8());
        if (registered) {
            const auto write = [&](const QString& path, const QByteArray& text) {
                QVERIFY(QDir().mkpath(QFileInfo(path).path()));
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(text);
            };
            write(home.filePath("data/applications/test-centre.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Test centre\nExec=true %u\n"
                  "MimeType=x-scheme-handler/appstream;application/pdf;\n");
            write(home.filePath("config/mimeapps.list"),
                  "[Default Applications]\nx-scheme-handler/appstream=test-centre.desktop\n"
                  "application/pdf=test-centre.desktop\n");
        }
        QCOMPARE(UrlOpener::hasHandler("appstream"), registered);
        QCOMPARE(UrlOpener::hasHandler("no-such-scheme"), false);
        // "Open with…" on a datasheet: a file is opened only when a program takes its type.
        QFile pdf(home.filePath("LM317.pdf"));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF-1.4\n");
        pdf.close();
        QCOMPARE(UrlOpener::hasFileHandler(pdf.fileName()), registered);
    }
};

QTEST_GUILESS_MAIN(UrlOpenerTest)
#include "UrlOpenerTest.moc"
