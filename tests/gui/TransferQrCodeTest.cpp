// The transfer screen's QR code, as a phone would read it: the window is grabbed as it shows on screen and the
// picture is read with zbarimg, which must give exactly the web address the page tells, in both layouts. And its
// encryption switch, worked from the keyboard.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
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
    void init() { useAnyTransferPorts(); }
    void cleanup() { useAnyTransferPorts(false); }

    void theEncryptedSwitchShowsTheFingerprintAndIsRemembered() {
        GuiHarness gui;
        QWidget* menu = gui.page();
        QVERIFY(gui.openMenuRow(10));
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != menu; }));
        QWidget* listPage = gui.page();
        const QRegularExpression shown("^Certificate SHA-256\n([0-9A-F]{2}:){15}[0-9A-F]{2}\n([0-9A-F]{2}:){15}[0-9A-F]{2}$");
        for (bool on : {true, false}) {
            QTest::mouseClick(gui.find<QPushButton*>("onButtonFTP"), Qt::LeftButton);
            QVERIFY(GuiHarness::waitFor([&] { return gui.page() != listPage; }));
            auto* encrypted = gui.find<QCheckBox*>("m_pEncrypted");
            auto* fingerprint = gui.find<QLabel*>("m_pFingerprint");
            QVERIFY(encrypted && fingerprint);
            QCOMPARE(encrypted->accessibleName(), QString("Encrypted (FTPS)"));
            QCOMPARE(encrypted->isChecked(), !on);  // the second opening finds the first one's choice
            encrypted->setFocus();
            QTest::keyClick(encrypted, Qt::Key_Space);
            QVERIFY(GuiHarness::waitFor([&] { return fingerprint->isVisible() == on; }));
            QCOMPARE(encrypted->isChecked(), on);
            QVERIFY2(!on || shown.match(fingerprint->text()).hasMatch(), qPrintable(fingerprint->text()));
            QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
            QVERIFY(GuiHarness::waitFor([&] { return gui.page() == listPage; }));
        }
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
