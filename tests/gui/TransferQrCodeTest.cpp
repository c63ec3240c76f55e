// The transfer screen's QR code, as a phone would read it: the window is grabbed as it shows on screen and the
// picture is read with zbarimg, which must give exactly the web address the page tells, in both layouts.
#include <QAbstractButton>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "datasheets/InfoDatasheetsFTP.h"
#include "gui/GuiTestSupport.h"
#include "gui/QrCodeView.h"

class TransferQrCodeTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InfoDatasheetsFTP::setControlPort(0);
        InfoDatasheetsFTP::setWebPort(0);
    }
    void cleanup() {
        InfoDatasheetsFTP::setControlPort(InfoDatasheetsFTP::kDefaultControlPort);
        InfoDatasheetsFTP::setWebPort(InfoDatasheetsFTP::kDefaultWebPort);
    }

    void theCodeReadsAsTheAddressShown_data() {
        QTest::addColumn<bool>("tablet");
        QTest::newRow("phone") << false;
        QTest::newRow("tablet") << true;
    }
    void theCodeReadsAsTheAddressShown() {
        QFETCH(bool, tablet);
        GuiHarness gui(tablet);
        QWidget* menu = gui.page();
        if (tablet)
            QTest::mouseClick(gui.find<QAbstractButton*>("onShowDatasheet"), Qt::LeftButton);
        else
            QVERIFY(gui.openMenuRow(10));
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QWidget* listPage = gui.page();
        QTest::mouseClick(gui.find<QPushButton*>("onButtonFTP"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != listPage; }));
        auto* page = gui.find<QTextBrowser*>("m_pWebView");
        auto* code = gui.find<QrCodeView*>("m_pAddressCode");
        QVERIFY(page && code);
        QVERIFY(GuiHarness::waitFor([&] { return !page->toPlainText().isEmpty(); }));
        const QString shown = QRegularExpression(R"(http://\S+)").match(page->toPlainText()).captured(0);
        if (shown.isEmpty()) {
            QVERIFY2(!code->isVisible(), "no address, no code");
            QSKIP("this machine has no network address to show");
        }
        QVERIFY(code->isVisible());

        QTemporaryDir dir;
        const QString picture = dir.filePath("transfer.png");
        QVERIFY(gui.window().grab().save(picture));
        QProcess zbar;
        zbar.start("zbarimg", {"--quiet", "--raw", "-Sdisable", "-Sqrcode.enable", picture});
        QVERIFY2(zbar.waitForFinished(20000), "zbarimg (zbar-tools) must be installed");
        QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), shown);
    }
};

QTEST_MAIN(TransferQrCodeTest)
#include "TransferQrCodeTest.moc"
