// End to end, as a user would do it: open the store, open the transfer screen, put a PDF into it from another
// program (curl, over loopback FTP), see RX and TX flash, go back, find the file with its exact bytes in the list
// and read it in the viewer.
#include <QEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPdfDocument>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "datasheets/DocumentsFolder.h"
#include "datasheets/InfoDatasheetsFTP.h"
#include "ftp/FtpServer.h"
#include "gui/DatasheetsTestPdf.h"
#include "gui/DocumentView.h"
#include "gui/GuiTestSupport.h"
#include "platform/Utils.h"
#include "web/WebServer.h"

namespace {

constexpr int kDatasheetsRow = 10;
constexpr int kCurlLimitSeconds = 20;

// Counts the times a widget is shown.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) ++shows;
        return false;
    }
};

// Runs curl with `args` while Qt and the app's run loop keep turning (the server lives on this thread), calling
// `meanwhile` at each turn.
bool runCurl(const QStringList& args, QString* errors, const std::function<void()>& meanwhile = {}) {
    QProcess curl;
    curl.start("curl", QStringList{"--silent", "--show-error", "--max-time", QString::number(kCurlLimitSeconds)} + args);
    if (!curl.waitForStarted(5000)) {
        *errors = "curl cannot be started";
        return false;
    }
    GuiHarness::waitFor([&] {
        if (meanwhile) meanwhile();
        return curl.state() == QProcess::NotRunning;
    }, (kCurlLimitSeconds + 5) * 1000);
    if (curl.state() != QProcess::NotRunning) {
        curl.kill();
        curl.waitForFinished(2000);
        *errors = "curl did not finish";
        return false;
    }
    *errors = QString::fromUtf8(curl.readAllStandardError());
    return curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
}

}  // namespace

class DatasheetsUploadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { useAnyTransferPorts(); }
    void cleanup() { useAnyTransferPorts(false); }

    void aPdfUploadedOverFtpShowsUpInTheListAndOpensInTheViewer() {
        GuiHarness gui;
        QTemporaryDir outside;
        const QByteArray pdf = QByteArray::fromStdString(makeTestPdf({"LM317 adjustable regulator", "Pinout"}));
        const QString source = outside.filePath("upload.pdf");
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(pdf);
        }

        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QWidget* listPage = gui.page();
        QCOMPARE(gui.find<QLabel*>("m_cFilesInfo")->text(), QString("Files: 0"));
        QTest::mouseClick(gui.find<QPushButton*>("onButtonFTP"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != listPage; }));
        auto* transfer = dynamic_cast<InfoDatasheetsFTP*>(gui.window().topScreen());
        QVERIFY(transfer);
        const unsigned port = transfer->listeningPort();
        QVERIFY(port > 0);

        // The page tells where to connect; the storage line is filled; both indicators are dark.
        auto* page = gui.find<QTextBrowser*>("m_pWebView");
        QVERIFY(page && !page->toPlainText().isEmpty());
        QVERIFY(gui.find<QLabel*>("m_pDeviceInfo")->text().startsWith("Device: "));
        auto* rx = gui.find<QLabel*>("m_pRX");
        auto* tx = gui.find<QLabel*>("m_pTX");
        QVERIFY(rx && tx && !rx->isVisible() && !tx->isVisible());
        QCOMPARE(rx->text() + tx->text(), QString("RXTX"));  // the interface file's texts: the screen sets none
        ShowCounter rxShows, txShows;
        rx->installEventFilter(&rxShows);
        tx->installEventFilter(&txShows);

        const QString base = QString("ftp://127.0.0.1:%1/").arg(port);
        QString errors;
        QVERIFY2(runCurl({"-T", source, base + "LM317%20regulator.pdf"}, &errors), qPrintable(errors));
        QVERIFY(rxShows.shows > 0);
        QVERIFY(txShows.shows > 0);
        QVERIFY(GuiHarness::waitFor([&] { return !rx->isVisible() && !tx->isVisible(); }, 2000));

        // The same bytes come back down.
        const QString back = outside.filePath("back.pdf");
        QVERIFY2(runCurl({"-o", back, base + "LM317%20regulator.pdf"}, &errors), qPrintable(errors));
        QFile downloaded(back);
        QVERIFY(downloaded.open(QIODevice::ReadOnly));
        QCOMPARE(downloaded.readAll(), pdf);
        const QString total = gui.find<QLabel*>("m_pSessionTotal")->text();
        QVERIFY2(QRegularExpression("^This session: 1 received \\([0-9.]+ K?B\\), 1 sent \\([0-9.]+ K?B\\)$").match(total).hasMatch(),
                 qPrintable(total));

        // Back: the server stops and the list shows the new file.
        QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == listPage; }));
        QVERIFY(GuiHarness::waitFor([&] { return gui.find<QLabel*>("m_cFilesInfo")->text() == "Files: 1"; }));
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("LM317 regulator.pdf"));
        QFile stored(QString::fromStdString(DocumentsFolder::pathForName("LM317 regulator.pdf")));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), pdf);
        QVERIFY2(!runCurl({base}, &errors), "nobody answers once the screen is closed");

        // The viewer reads it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() != listPage; }));
        auto* cursor = gui.find<QProgressBar*>("m_cWaitCursor");
        QVERIFY(GuiHarness::waitFor([&] { return !cursor->isVisible(); }));
        auto* doc = gui.find<DocumentView*>("m_pWebView");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Pdf);
        QCOMPARE(doc->pdfDocument()->pageCount(), 2);
        QCOMPARE(gui.find<QLabel*>("m_cNavigationBar")->text(), QString("LM317 regulator.pdf"));
        QVERIFY(!gui.find<QLabel*>("m_cMessage")->isVisible());
    }

    void aPortHeldByAnotherProgramIsAnErrorWithItsReason() {
        const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        socklen_t length = sizeof address;
        QVERIFY(::bind(holder, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(holder, 1) == 0);
        QVERIFY(::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        const unsigned port = ntohs(address.sin_port);
        InfoDatasheetsFTP::setControlPort(port);

        GuiHarness gui;
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QVERIFY(gui.window().topScreen()->sendAction("onButtonFTP"));
        GuiHarness::settle(50);
        auto* transfer = dynamic_cast<InfoDatasheetsFTP*>(gui.window().topScreen());
        QVERIFY(transfer && transfer->listeningPort() == 0);
        auto* page = gui.find<QTextBrowser*>("m_pWebView");
        const QString text = page->toPlainText();
        QVERIFY2(text.contains("(Address already in use)"), qPrintable(text));  // the system's words
        QVERIFY(text.contains(QString("port %1 cannot be used").arg(port)));
        QVERIFY(!text.contains("connect to:"));  // no address box holding the message
        QVERIFY(page->toHtml().contains("background-color:#fdecea"));

        // The next free port is offered; a typed word is refused; sharing there works and is remembered.
        auto* other = gui.find<QLineEdit*>("m_pOtherPort");
        QVERIFY(other->isVisible() && other->text().toUInt() > port);
        const unsigned chosen = other->text().toUInt();
        GuiHarness::retype(other, "ftp");
        QTest::mouseClick(gui.find<QPushButton*>("m_pShareOtherPort"), Qt::LeftButton);
        QVERIFY(page->toPlainText().contains("\"ftp\" is not a port") && transfer->listeningPort() == 0);
        GuiHarness::retype(other, QString::number(chosen));
        QTest::keyClick(other, Qt::Key_Return);  // Enter in the field presses its button
        QCOMPARE(transfer->listeningPort(), chosen);
        QVERIFY(!other->isVisible() && page->toPlainText().contains(QString(":%1").arg(chosen)));
        QCOMPARE(Utils::getIntParam(InfoDatasheetsFTP::kPortKey, 0), static_cast<int>(chosen));
        ::close(holder);

        // A file in flight shows with its bytes so far and rate; the session's total follows.
        QTemporaryDir outside;
        const QString source = outside.filePath("big.bin");
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(3'000'000, 'x')) == 3'000'000);
        }
        auto* flight = gui.find<QLabel*>("m_pTransfer");
        QStringList seen;
        QString errors;
        QVERIFY2(runCurl({"--limit-rate", "1M", "-T", source, QString("ftp://127.0.0.1:%1/big.bin").arg(chosen)},
                         &errors, [&] { if (flight->isVisible()) seen << flight->text(); }), qPrintable(errors));
        const QRegularExpression inFlight("^Receiving big.bin: [0-9.]+ [KM]B at [0-9.]+ [KM]B/s$");
        QVERIFY2(!seen.isEmpty() && inFlight.match(seen.last()).hasMatch(), qPrintable(seen.join('|')));
        QVERIFY(GuiHarness::waitFor([&] { return !flight->isVisible(); }));
        QCOMPARE(gui.find<QLabel*>("m_pSessionTotal")->text(), QString("This session: 1 received (3.0 MB), 0 sent (0 B)"));

        // Through the web page the same: in flight, then counted.
        seen.clear();
        const WebServer* web = transfer->webServer();
        QVERIFY(web && web->isListening());
        const QString put = QString("http://127.0.0.1:%1/files/big2.bin?k=%2")
                                .arg(web->localPort())
                                .arg(QString::fromStdString(web->token().text()));
        QVERIFY2(runCurl({"--limit-rate", "1M", "-T", source, put}, &errors,
                         [&] { if (flight->isVisible()) seen << flight->text(); }), qPrintable(errors));
        const QRegularExpression webFlight("^Receiving big2.bin: [0-9.]+ [KM]B at [0-9.]+ [KM]B/s$");
        QVERIFY2(!seen.isEmpty() && webFlight.match(seen.last()).hasMatch(), qPrintable(seen.join('|')));
        QVERIFY(GuiHarness::waitFor([&] { return !flight->isVisible(); }));
        QCOMPARE(gui.find<QLabel*>("m_pSessionTotal")->text(), QString("This session: 2 received (6.0 MB), 0 sent (0 B)"));
    }
};

QTEST_MAIN(DatasheetsUploadTest)
#include "DatasheetsUploadTest.moc"
