#include "datasheets/InfoDatasheetsFTP.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Utils.h"
#include "app/AppTestSupport.h"
#include "datasheets/DatasheetsTestSupport.h"
#include "datasheets/InfoDatasheetsView.h"
#include "ftp/FtpServer.h"
#include "ftp/FtpTestClient.h"
#include "ftp/NetworkController.h"
#include "platform/Format.h"
#include "platform/Numbers.h"
#include "platform/Resources.h"
#include "web/WebServer.h"

namespace {

// The transfer screen on a port of the test's choosing, opened from a list screen as the user would.
class InfoDatasheetsFTPScreen : public ::testing::Test {
protected:
    void SetUp() override { useAnyTransferPorts(); }
    void TearDown() override {
        list_.reset();
        turnFor(20);  // deferred dismissals and socket closings
        useAnyTransferPorts(false);
    }
    InfoDatasheetsFTP* openTransfer() {
        list_ = std::make_unique<InfoDatasheetsView>();
        list_->loadViewIfNeeded();
        list_->sendAction("onButtonFTP");
        return dynamic_cast<InfoDatasheetsFTP*>(list_->presentedViewController());
    }
    bool closeTransfer() {
        list_->presentedViewController()->sendAction("onButtonBack");
        return turnUntil([&] { return list_->presentedViewController() == nullptr; });
    }

    ScratchStore store_{"transfer"};
    std::unique_ptr<InfoDatasheetsView> list_;
};

// A free TCP port, found by binding port 0 and letting go.
std::uint16_t freePort() {
    std::uint16_t port = 0;
    int fd = FtpTestClient::listenLocal(&port);
    ::close(fd);
    return port;
}

}  // namespace

TEST(InfoDatasheetsFTPPage, TheLinkIsTheAddressAndPortOrTheNetworkErrorText) {
    const std::string networkError = localizedString("NETWORK_ERROR");
    ASSERT_NE(networkError, "NETWORK_ERROR") << "the string table is compiled in";
    const struct {
        std::string address;
        unsigned port;
        std::string link;
    } cases[] = {
        {"192.168.1.20", 2121, "ftp://192.168.1.20:2121"},
        {"10.0.0.7", 40000, "ftp://10.0.0.7:40000"},
        {"1.2.3.4", 2121, "ftp://1.2.3.4:2121"},
        {"1.2.34", 2121, "ftp://1.2.34:2121"},  // six characters are enough
        {"1.2.3", 2121, networkError},          // five are not
        {"", 2121, networkError},
    };
    for (const auto& c : cases) EXPECT_EQ(InfoDatasheetsFTP::linkText(c.address, c.port), c.link) << c.address;
}

TEST(InfoDatasheetsFTPPage, EveryPlaceholderIsReplacedAndTheLinkIsEscaped) {
    EXPECT_EQ(InfoDatasheetsFTP::pageText("<a>_LINK_</a> or _LINK_", "ftp://1.2.3.4:2121"),
              "<a>ftp://1.2.3.4:2121</a> or ftp://1.2.3.4:2121");
    EXPECT_EQ(InfoDatasheetsFTP::pageText("[_LINK_]", "port <2121> & \"x\""), "[port &lt;2121&gt; &amp; &quot;x&quot;]");
    EXPECT_EQ(InfoDatasheetsFTP::pageText("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(InfoDatasheetsFTP::pageText("", "x"), "");
    EXPECT_EQ(InfoDatasheetsFTP::pageText("_WEB_ADDRESS_ _LINK_", "ftp://a:1", "_LINK_<"), "_LINK_&lt; ftp://a:1");

    // The page shipped with the program: ASCII, with the placeholder, which is gone once filled.
    auto page = resourceNamed("HtmlFTP");
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("_LINK_"), std::string_view::npos);
    EXPECT_NE(page->find("_WEB_ADDRESS_"), std::string_view::npos);
    for (unsigned char c : *page) EXPECT_LT(c, 0x80);
    for (const std::string& link : {std::string("ftp://192.168.1.20:2121"), localizedString("NETWORK_ERROR")}) {
        std::string filled = InfoDatasheetsFTP::pageText(*page, link);
        EXPECT_EQ(filled.find("_LINK_"), std::string::npos);
        EXPECT_NE(filled.find(link), std::string::npos);
    }
}

TEST(InfoDatasheetsFTPPage, StorageLineFormat) {
    EXPECT_EQ(InfoDatasheetsFTP::deviceInfoText(1024, 512), "Device: 1024Mb, 512Mb free");
    EXPECT_EQ(InfoDatasheetsFTP::deviceInfoText(0, 0), "Device: 0Mb, 0Mb free");
}

TEST_F(InfoDatasheetsFTPScreen, OpeningServesTheStoreShowsTheAddressAndKeepsTheScreenAwake) {
    std::vector<bool> idleCalls;
    Application::shared().setIdleTimerHandler([&](bool disabled) { idleCalls.push_back(disabled); });
    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(screen->server(), nullptr);
    ASSERT_GT(screen->listeningPort(), 0u);
    EXPECT_EQ(screen->server()->baseDir(), store_.dir().string());
    EXPECT_TRUE(screen->m_pRX.isHidden());
    EXPECT_TRUE(screen->m_pTX.isHidden());
    EXPECT_EQ(idleCalls, std::vector<bool>{true});

    const std::string link = InfoDatasheetsFTP::linkText(NetworkController::localWifiIPAddress(), screen->listeningPort());
    EXPECT_EQ(screen->m_pWebView.source(), WebView::Source::Html);
    ASSERT_TRUE(screen->webServer() && screen->webServer()->isListening());
    const std::string web = InfoDatasheetsFTP::webLinkText(NetworkController::localWifiIPAddress(), *screen->webServer());
    EXPECT_EQ(screen->m_pWebView.html(), InfoDatasheetsFTP::pageText(*resourceNamed("HtmlFTP"), link, web));
    // The QR code says the web page's address (a phone opens it), and only an address.
    const bool hasAddress = link.starts_with("ftp://");
    EXPECT_TRUE(!hasAddress || web.starts_with("http://")) << web;
    EXPECT_EQ(screen->m_pAddressCode.text(), hasAddress ? web : "");
    EXPECT_EQ(screen->m_pAddressCode.isHidden(), !hasAddress);

    // The storage line is there at once, before the first tick (free space read again here may have moved a
    // little on a shared disk).
    int total = 0, freeMb = 0;
    ASSERT_EQ(std::sscanf(screen->m_pDeviceInfo.text().c_str(), "Device: %dMb, %dMb free", &total, &freeMb), 2);
    EXPECT_EQ(screen->m_pDeviceInfo.text(), InfoDatasheetsFTP::deviceInfoText(total, freeMb));
    EXPECT_EQ(total, Utils::getTotalSpace());
    EXPECT_NEAR(freeMb, Utils::getFreeSpace(), 256);
    screen->m_pDeviceInfo.setText("");
    EXPECT_TRUE(turnUntil([&] { return !screen->m_pDeviceInfo.text().empty(); }, 2500)) << "refreshed every second";

    const unsigned port = screen->listeningPort(), webPort = screen->webServer()->localPort();
    ASSERT_TRUE(closeTransfer());
    EXPECT_EQ(idleCalls, (std::vector<bool>{true, false}));
    for (unsigned closed : {port, webPort}) {
        FtpTestClient client;
        ASSERT_TRUE(client.open(static_cast<std::uint16_t>(closed)));
        EXPECT_TRUE(client.waitClosed()) << "nobody listens on " << closed << " once the screen is closed";
    }
}

TEST_F(InfoDatasheetsFTPScreen, RepliesFlashTxCommandsFlashRxAndEachFlashEndsOnItsOwn) {
    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_TRUE(screen && screen->listeningPort());
    FtpTestClient client;
    ASSERT_TRUE(client.open(static_cast<std::uint16_t>(screen->listeningPort())));
    EXPECT_EQ(client.reply().substr(0, 4), "220 ");
    EXPECT_FALSE(screen->m_pTX.isHidden()) << "the greeting was written";
    EXPECT_TRUE(screen->m_pRX.isHidden());
    EXPECT_TRUE(turnUntil([&] { return screen->m_pTX.isHidden(); }, 1000));

    client.sendRaw("NOOP\r\n");
    EXPECT_TRUE(turnUntil([&] { return !screen->m_pRX.isHidden(); }, 1000));
    EXPECT_TRUE(turnUntil([&] { return screen->m_pRX.isHidden(); }, 1000));

    // Hides are never withdrawn: the first event's hide comes 0.2 s after it, even though a second event came
    // in between, so steady traffic blinks.
    // The second event comes 150 ms after the first: the hide is due 50 ms after it, where a withdrawn-and-
    // rescheduled hide would come 200 ms after it. The margin absorbs a loaded machine's stalls.
    auto first = RunLoop::Clock::now();
    screen->didDataReceived();
    turnFor(150);
    screen->didDataReceived();
    auto second = RunLoop::Clock::now();
    ASSERT_FALSE(screen->m_pRX.isHidden());
    ASSERT_TRUE(turnUntil([&] { return screen->m_pRX.isHidden(); }, 1000));
    if (second - first < std::chrono::milliseconds(190))  // else the loop stalled past the first hide's time
        EXPECT_LT(RunLoop::Clock::now() - second, std::chrono::milliseconds(195));
    ASSERT_TRUE(closeTransfer());
}

TEST_F(InfoDatasheetsFTPScreen, ClosingRefreshesTheListWithTheFilesThatArrived) {
    ASSERT_NE(openTransfer(), nullptr);
    const std::string before = list_->m_cFilesInfo.text();
    store_.write("arrived.pdf", "%PDF-1.4");
    turnFor(20);
    EXPECT_EQ(list_->m_cFilesInfo.text(), before) << "the list refreshes when the transfer screen closes";
    ASSERT_TRUE(closeTransfer());
    EXPECT_TRUE(turnUntil([&] { return list_->m_cFilesInfo.text() == "Files: 1"; }));
    EXPECT_EQ(list_->filesList(), std::vector<std::string>{"arrived.pdf"});
}

TEST_F(InfoDatasheetsFTPScreen, ReopeningStartsAFreshServerOnTheSamePort) {
    const std::uint16_t port = freePort();
    InfoDatasheetsFTP::setControlPort(port);
    for (int round = 0; round < 2; ++round) {
        InfoDatasheetsFTP* screen = openTransfer();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->listeningPort(), port) << "round " << round;
        FtpTestClient client;
        ASSERT_TRUE(client.open(port));
        EXPECT_EQ(client.reply().substr(0, 4), "220 ");
        ASSERT_TRUE(closeTransfer());
    }
}

TEST_F(InfoDatasheetsFTPScreen, TheEncryptedSwitchIsRememberedAndOffersTlsOnTheSamePort) {
    ScratchProfile profile("transfer-tls");
    ::setenv("XDG_CONFIG_HOME", profile.dir().c_str(), 1);  // the certificate is made there
    // Each round opens the screen, looks at what FEAT offers and the fingerprint line, then flips the switch.
    for (bool on : {false, true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        InfoDatasheetsFTP* screen = openTransfer();
        ASSERT_TRUE(screen && screen->listeningPort());
        for (int flip = 0; flip < 2; ++flip) {
            const bool now = flip ? !on : on;
            EXPECT_EQ(screen->m_pEncrypted.isSelected(), now);
            EXPECT_EQ(screen->m_pFingerprint.isHidden(), !now);
            if (now) EXPECT_TRUE(screen->m_pFingerprint.text().starts_with("Certificate SHA-256\n"));
            FtpTestClient client;
            ASSERT_TRUE(client.open(static_cast<std::uint16_t>(screen->listeningPort())));
            client.reply();
            EXPECT_EQ(client.command("FEAT").find("AUTH TLS") != std::string::npos, now);
            if (flip == 0) {
                const unsigned port = screen->listeningPort();
                screen->sendAction("onSwitchEncrypted");
                EXPECT_EQ(screen->listeningPort(), port) << "clients find the server where it was";
            }
        }
        ASSERT_TRUE(closeTransfer());
    }
    ::unsetenv("XDG_CONFIG_HOME");
}

namespace {

// Another program holding a port on every interface: its socket, and the port.
std::pair<int, unsigned> holdAPort() {
    int holder = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int no = 0;
    ::setsockopt(holder, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_any;
    if (::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(holder, 1) != 0) return {-1, 0};
    socklen_t len = sizeof a;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&a), &len);
    return {holder, ntohs(a.sin6_port)};
}

}  // namespace

TEST_F(InfoDatasheetsFTPScreen, SharesByTheWayChosenAndRemembersIt) {
    ScratchProfile profile("transfer-ways");
    using Way = InfoDatasheetsFTP::ShareBy;
    const struct {
        Way way;
        const char* action;
        bool ftp, web;
    } ways[] = {
        {Way::Web, "onButtonShareWeb", false, true},
        {Way::Ftp, "onButtonShareFtp", true, false},
        {Way::Both, "onButtonShareBoth", true, true},
    };
    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->sharing(), Way::Both) << "both until the user chooses";
    for (const auto& w : ways) {
        SCOPED_TRACE(w.action);
        screen->sendAction(w.action);
        for (int opening : {1, 2}) {  // as chosen, then as remembered when the screen opens again
            if (opening == 2) {
                ASSERT_TRUE(closeTransfer());
                screen = openTransfer();
            }
            InfoDatasheetsFTP* shown = screen;
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->sharing(), w.way);
            EXPECT_EQ(shown->listeningPort() != 0, w.ftp);
            EXPECT_EQ(shown->webServer() != nullptr && shown->webServer()->isListening(), w.web);
            const std::string& page = shown->m_pWebView.html();
            EXPECT_EQ(page.find("By FTP") != std::string::npos, w.ftp);
            EXPECT_EQ(page.find("in any browser") != std::string::npos, w.web);
            EXPECT_EQ(page.find("_LINK_") == std::string::npos && page.find("_WEB_ADDRESS_") == std::string::npos, true);
            EXPECT_EQ(shown->m_pEncrypted.isHidden(), !w.ftp);
            EXPECT_EQ(shown->m_pShareBoth.isSelected(), w.way == Way::Both);
            EXPECT_EQ(shown->m_pShareWeb.isSelected(), w.way == Way::Web);
            EXPECT_EQ(shown->m_pShareFtp.isSelected(), w.way == Way::Ftp);
        }
    }
    ASSERT_TRUE(closeTransfer());
}

TEST_F(InfoDatasheetsFTPScreen, APageOnAPortInUseSaysSoOffersAnotherAndKeepsTheOneThatWorks) {
    ScratchProfile profile("transfer-web-port");
    const auto [holder, port] = holdAPort();
    ASSERT_GE(holder, 0);
    InfoDatasheetsFTP::setWebPort(port);
    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_NE(screen, nullptr);
    EXPECT_GT(screen->listeningPort(), 0u) << "FTP shares all the same";
    ASSERT_TRUE(screen->webServer() && !screen->webServer()->isListening());
    EXPECT_NE(screen->m_pWebView.html().find(format("port %d cannot be used", static_cast<int>(port))), std::string::npos);
    EXPECT_FALSE(screen->m_pOtherWebPort.isHidden());
    EXPECT_GT(intValue(screen->m_pOtherWebPort.text()), static_cast<int>(port)) << "the next free port is offered";
    EXPECT_EQ(screen->m_pAddressCode.text().rfind("ftp://", 0) == 0, !screen->m_pAddressCode.isHidden());

    screen->m_pOtherWebPort.setText("web");
    screen->sendAction("onButtonOtherWebPort");
    EXPECT_NE(screen->m_pWebView.html().find("\"web\" is not a port"), std::string::npos);
    const unsigned other = freePort();
    screen->m_pOtherWebPort.setText(std::to_string(other));
    screen->sendAction("onButtonOtherWebPort");
    ASSERT_TRUE(screen->webServer() && screen->webServer()->isListening());
    EXPECT_EQ(screen->webServer()->localPort(), other);
    EXPECT_TRUE(screen->m_pOtherWebPort.isHidden());
    EXPECT_EQ(Utils::getIntParam(InfoDatasheetsFTP::kWebPortKey, 0), static_cast<int>(other));
    ASSERT_TRUE(closeTransfer());
    screen = openTransfer();
    ASSERT_TRUE(screen && screen->webServer() && screen->webServer()->isListening());
    EXPECT_EQ(screen->webServer()->localPort(), other) << "the port that worked is kept";
    ASSERT_TRUE(closeTransfer());
    ::close(holder);
}

TEST_F(InfoDatasheetsFTPScreen, APortInUseIsSaidPlainlyInsteadOfAnAddress) {
    const auto [holder, port] = holdAPort();
    ASSERT_GE(holder, 0);
    InfoDatasheetsFTP::setControlPort(port);

    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->listeningPort(), 0u);
    const std::string& page = screen->m_pWebView.html();
    EXPECT_EQ(page.find(InfoDatasheetsFTP::linkText(NetworkController::localWifiIPAddress(), port)), std::string::npos);
    EXPECT_NE(page.find(format("port %d cannot be used", static_cast<int>(port))), std::string::npos);
    EXPECT_EQ(page.find("_LINK_"), std::string::npos);
    EXPECT_TRUE(screen->m_pAddressCode.isHidden());
    EXPECT_EQ(screen->m_pAddressCode.text(), "");
    ASSERT_TRUE(closeTransfer());
    ::close(holder);
}

TEST_F(InfoDatasheetsFTPScreen, ALeftOverTransferScreenStopsItsServerWhenDestroyed) {
    std::vector<bool> idleCalls;
    Application::shared().setIdleTimerHandler([&](bool disabled) { idleCalls.push_back(disabled); });
    InfoDatasheetsFTP* screen = openTransfer();
    ASSERT_TRUE(screen && screen->listeningPort());
    const unsigned port = screen->listeningPort();
    screen->didDataSend();  // a hide is pending when the screen goes
    list_.reset();          // the list and the transfer screen over it go at once
    EXPECT_EQ(idleCalls, (std::vector<bool>{true, false}));
    turnFor(300);           // the pending hide finds no screen
    FtpTestClient client;
    ASSERT_TRUE(client.open(static_cast<std::uint16_t>(port)));
    EXPECT_TRUE(client.waitClosed());
}
