#include "datasheets/InfoDatasheetsFTP.h"

#include <algorithm>
#include <tuple>

#include "platform/Utils.h"
#include "core/transfer/TransferTexts.h"
#include "datasheets/DocumentsFolder.h"
#include "ftp/FtpServer.h"
#include "ftp/NetworkController.h"
#include "net/PortProbe.h"
#include "net/TlsCertificate.h"
#include "net/TlsContext.h"
#include "platform/Numbers.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Resources.h"
#include "platform/ui/Application.h"
#include "web/DnsSdAnnouncer.h"
#include "web/WebServer.h"

namespace {

unsigned gControlPort = InfoDatasheetsFTP::kDefaultControlPort;
unsigned gWebPort = InfoDatasheetsFTP::kDefaultWebPort;

// Addresses shorter than this ("", "0.0.0") cannot be a usable dotted IPv4 address.
constexpr size_t kMinAddressLength = TransferTexts::kMinAddressLength;

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The port typed in `field`; 0, with `page` saying under `heading` why it is none, when it is not a port (nothing
// is tried then: the servers keep what they had).
unsigned typedPort(const TextField& field, WebView& page, const std::string& heading) {
    const std::int32_t port = intValue(field.text());
    if (port >= 1 && port <= 65535) return static_cast<unsigned>(port);
    page.loadHTMLString("<h3>" + heading + "</h3><p>\"" + escapeHtml(field.text()) +
                        "\" is not a port: type a number from 1 to 65535.</p>");
    return 0;
}

// The offer of another port after `failed`: the next one that can be used, or nothing when none can.
std::string offeredPort(unsigned failed) {
    const unsigned next = PortProbe::nextUsable(failed + 1);
    return next ? std::to_string(next) : "";
}

}  // namespace

InfoDatasheetsFTP::InfoDatasheetsFTP(std::string nibName) : ViewController(std::move(nibName)) {
    registerOutlet("m_pWebView", m_pWebView);
    registerOutlet("m_pRX", m_pRX);
    registerOutlet("m_pTX", m_pTX);
    registerOutlet("m_pDeviceInfo", m_pDeviceInfo);
    registerOutlet("m_pAddressCode", m_pAddressCode);
    registerOutlet("m_pTransfer", m_pTransfer);
    registerOutlet("m_pSessionTotal", m_pSessionTotal);
    registerOutlet("m_pOtherPort", m_pOtherPort);
    registerOutlet("m_pShareOtherPort", m_pShareOtherPort);
    registerOutlet("m_pOtherWebPort", m_pOtherWebPort);
    registerOutlet("m_pShareOtherWebPort", m_pShareOtherWebPort);
    registerOutlet("m_pShareBoth", m_pShareBoth);
    registerOutlet("m_pShareWeb", m_pShareWeb);
    registerOutlet("m_pShareFtp", m_pShareFtp);
    registerOutlet("m_pEncrypted", m_pEncrypted);
    registerOutlet("m_pFingerprint", m_pFingerprint);
    registerAction("onButtonBack", [this] { onButtonBack(); });
    registerAction("onButtonOtherPort", [this] { onButtonOtherPort(); });
    registerAction("onSwitchEncrypted", [this] { onSwitchEncrypted(); });
    registerAction("onButtonOtherWebPort", [this] { onButtonOtherWebPort(); });
    registerAction("onButtonShareBoth", [this] { shareBy(ShareBy::Both); });
    registerAction("onButtonShareWeb", [this] { shareBy(ShareBy::Web); });
    registerAction("onButtonShareFtp", [this] { shareBy(ShareBy::Ftp); });
}

InfoDatasheetsFTP::~InfoDatasheetsFTP() {
    // Closed some other way than back (its presenter went first): the server must not outlive the screen.
    shutDown();
}

void InfoDatasheetsFTP::setControlPort(unsigned port) { gControlPort = port; }
void InfoDatasheetsFTP::setWebPort(unsigned port) { gWebPort = port; }
unsigned InfoDatasheetsFTP::controlPort() { return gControlPort; }

unsigned InfoDatasheetsFTP::listeningPort() const {
    return _server && _server->isListening() ? _server->localPort() : 0;
}

std::string InfoDatasheetsFTP::pageText(std::string_view pageTemplate, const std::string& linkText,
                                        const std::string& webText) {
    // One pass over the template, so a replacement's own text is never taken for a placeholder.
    static constexpr std::string_view kLink = "_LINK_", kWeb = "_WEB_ADDRESS_";
    const std::string link = escapeHtml(linkText), web = escapeHtml(webText);
    std::string page;
    size_t from = 0;
    while (from < pageTemplate.size()) {
        const size_t atLink = pageTemplate.find(kLink, from), atWeb = pageTemplate.find(kWeb, from);
        const size_t at = std::min(atLink, atWeb);
        if (at == std::string_view::npos) break;
        page.append(pageTemplate.substr(from, at - from));
        page += at == atLink ? link : web;
        from = at + (at == atLink ? kLink.size() : kWeb.size());
    }
    page.append(pageTemplate.substr(std::min(from, pageTemplate.size())));
    return page;
}

std::string InfoDatasheetsFTP::pageSections(std::string_view page, bool web, bool ftp) {
    std::string kept(page);
    for (const auto& [wanted, open, close] : {std::tuple{web, "<!--web-->", "<!--/web-->"},
                                              std::tuple{ftp, "<!--ftp-->", "<!--/ftp-->"}}) {
        if (wanted) continue;
        for (size_t at = kept.find(open); at != std::string::npos; at = kept.find(open, at)) {
            const size_t end = kept.find(close, at);
            if (end == std::string::npos) break;
            kept.erase(at, end + std::string_view(close).size() - at);
        }
    }
    return kept;
}

std::string InfoDatasheetsFTP::webLinkText(const std::string& address, const WebServer& server) {
    if (address.size() < kMinAddressLength) return localizedString("NETWORK_ERROR");
    return server.address(address);
}

std::string InfoDatasheetsFTP::linkText(const std::string& address, unsigned port) {
    return TransferTexts::link(address, port);
}

std::string InfoDatasheetsFTP::fingerprintText(const std::string& fingerprint) {
    // 95 characters without a space would not wrap on a narrow screen; two halves of 16 pairs each do fit.
    const std::size_t half = fingerprint.size() / 2;
    if (fingerprint.size() != 95 || fingerprint[half] != ':') return "Certificate SHA-256\n" + fingerprint;
    return "Certificate SHA-256\n" + fingerprint.substr(0, half) + "\n" + fingerprint.substr(half + 1);
}

std::string InfoDatasheetsFTP::deviceInfoText(int totalMb, int freeMb) {
    return TransferTexts::deviceInfo(totalMb, freeMb);
}

void InfoDatasheetsFTP::viewDidLoad() {
    open_ = true;
    m_pRX.setHidden(true);
    m_pTX.setHidden(true);
    onTimerDeviceInfo();
    _pTimerInfo = RunLoop::main().runEvery(1.0, [this] { onTimerDeviceInfo(); });

    const std::string baseDir = DocumentsFolder::path();
    NSLog("Base dir: %@", baseDir);
    Application::shared().setIdleTimerDisabled(true);
    showTransfers();
    m_pEncrypted.setSelected(Utils::getBoolParam(kEncryptedKey, false));
    const int way = Utils::getIntParam(kShareByKey, static_cast<int>(ShareBy::Both));
    shareBy_ = way >= 0 && way <= 2 ? static_cast<ShareBy>(way) : ShareBy::Both;
    // The ports that worked last time, if the user chose others when the usual ones were taken.
    const int savedWeb = Utils::getIntParam(kWebPortKey, 0);
    webPort_ = savedWeb >= 1 && savedWeb <= 65535 ? static_cast<unsigned>(savedWeb) : gWebPort;
    const int saved = Utils::getIntParam(kPortKey, 0);
    share(saved >= 1 && saved <= 65535 ? static_cast<unsigned>(saved) : gControlPort);
}

std::shared_ptr<TlsContext> InfoDatasheetsFTP::encryption() {
    m_pFingerprint.setHidden(!m_pEncrypted.isSelected());
    if (!m_pEncrypted.isSelected()) return nullptr;
    Error err;
    std::optional<TlsCertificate> certificate;
    if (!tls_) certificate = TlsCertificate::loadOrCreate(TlsCertificate::defaultPath(), &err);
    if (certificate) tls_ = TlsContext::server(*certificate, &err);
    if (certificate && tls_) m_pFingerprint.setText(fingerprintText(certificate->fingerprint()));
    if (!tls_) {
        // The server shares in clear then, and the switch must not claim otherwise; the choice stays stored, so
        // the next opening tries again.
        m_pEncrypted.setSelected(false);
        m_pFingerprint.setText("Encryption is not available: " + err.localizedDescription);
    }
    return tls_;
}

void InfoDatasheetsFTP::onSwitchEncrypted() {
    m_pEncrypted.setSelected(!m_pEncrypted.isSelected());
    Utils::saveBoolParam(m_pEncrypted.isSelected(), kEncryptedKey);
    // Connected clients start again with the new server, on the port they know.
    if (open_) share(listeningPort() ? listeningPort() : port_);
}

void InfoDatasheetsFTP::share(unsigned port) {
    if (_server) _server->stopFtpServer();
    _server.reset();
    port_ = port;
    if (shareBy_ != ShareBy::Web) {
        FtpOptions options;
        options.tls = encryption();
        _server = std::make_unique<FtpServer>(port, DocumentsFolder::path(), this, std::move(options));
    }
    // Shared by both, the page shares with the FTP server or not at all: the screen says one thing about sharing.
    const bool ftpListening = _server && _server->isListening();
    shareWeb(shareBy_ == ShareBy::Web || (shareBy_ == ShareBy::Both && ftpListening));
    showSharing();
}

void InfoDatasheetsFTP::shareWeb(bool wanted) {
    if (wanted && _webServer && _webServer->isListening()) return;
    if (_webServer) _webServer->stop();
    _webServer.reset();
    if (wanted) _webServer = std::make_unique<WebServer>(webPort_, DocumentsFolder::path(), this);
}

void InfoDatasheetsFTP::showSharing() {
    const bool ftpWanted = shareBy_ != ShareBy::Web;
    const bool listening = _server && _server->isListening();
    const bool webListening = _webServer && _webServer->isListening();
    const std::string address = NetworkController::localWifiIPAddress();
    _announcer.reset();
    auto services = DnsSdAnnouncer::sharingServices(listening ? _server->localPort() : 0,
                                                    webListening ? _webServer->localPort() : 0, "/");
    std::erase_if(services, [](const DnsSdService& service) { return service.port == 0; });
    if (!services.empty()) _announcer = std::make_unique<DnsSdAnnouncer>(std::move(services));

    // An address is only worth showing when someone can connect to it; a port that cannot be used is said
    // plainly instead, in the system's words (the socket's own error names no cause), with another port offered.
    auto whyUnusable = [](unsigned port, const Error& error) {
        std::string reason = PortProbe::whyUnusable(port);
        return reason.empty() ? error.localizedDescription : reason;
    };
    const bool webFailed = _webServer && !webListening;
    const std::string link = listening ? linkText(address, _server->localPort()) : std::string();
    const std::string webLink =
        webListening ? webLinkText(address, *_webServer)
        : webFailed  ? format(localizedString("WEB_PORT_ERROR"), static_cast<int>(webPort_),
                              whyUnusable(webPort_, _webServer->listenError()))
                     : std::string();
    if (ftpWanted && !listening) {
        m_pWebView.loadHTMLString(portErrorPage(port_, whyUnusable(port_, _server->listenError())));
        m_pOtherPort.setText(offeredPort(port_));
    } else {
        const auto page = pageSections(resourceNamed("HtmlFTP").value_or(""), !webLink.empty(), listening);
        m_pWebView.loadHTMLString(pageText(page, link, webLink));
    }
    m_pOtherPort.setHidden(!ftpWanted || listening);
    m_pShareOtherPort.setHidden(!ftpWanted || listening);
    // The next free port is offered once for each port that failed; what the user typed since stays.
    if (webFailed && webPortOffered_ != webPort_) m_pOtherWebPort.setText(offeredPort(webPort_));
    webPortOffered_ = webFailed ? webPort_ : 0;
    m_pOtherWebPort.setHidden(!webFailed);
    m_pShareOtherWebPort.setHidden(!webFailed);
    m_pEncrypted.setHidden(!ftpWanted);
    if (!ftpWanted) m_pFingerprint.setHidden(true);
    m_pShareBoth.setSelected(shareBy_ == ShareBy::Both);
    m_pShareWeb.setSelected(shareBy_ == ShareBy::Web);
    m_pShareFtp.setSelected(shareBy_ == ShareBy::Ftp);
    // A phone reads the address from the code, and a phone opens the web page: the code says its address, or the
    // FTP one when there is no page. A code for an error text would only mislead.
    const bool reachable = address.size() >= kMinAddressLength;
    const std::string code = !reachable ? std::string() : webListening ? webLink : listening ? link : std::string();
    m_pAddressCode.setText(code);
    m_pAddressCode.setHidden(code.empty());
}

void InfoDatasheetsFTP::shareBy(ShareBy way) {
    if (way == shareBy_) return;  // the way already shared: connected clients keep their server
    shareBy_ = way;
    Utils::saveIntParam(static_cast<int>(way), kShareByKey);
    if (open_) share(listeningPort() ? listeningPort() : port_);
}

void InfoDatasheetsFTP::onButtonOtherWebPort() {
    const unsigned port = typedPort(m_pOtherWebPort, m_pWebView, "The page is not shared");
    if (port == 0) return;
    shareWeb(false);
    webPort_ = port;
    shareWeb(true);
    showSharing();
    if (_webServer->isListening()) Utils::saveIntParam(static_cast<int>(port), kWebPortKey);
}

void InfoDatasheetsFTP::onButtonOtherPort() {
    const unsigned port = typedPort(m_pOtherPort, m_pWebView, "Sharing is not available");
    if (port == 0) return;
    share(port);
    if (_server && _server->isListening()) Utils::saveIntParam(static_cast<int>(port), kPortKey);
}

std::string InfoDatasheetsFTP::sizeText(std::uint64_t bytes) {
    if (bytes < 1000) return format("%d B", static_cast<int>(bytes));
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000;
    int unit = 0;
    for (; value >= 999.95 && unit < 3; ++unit) value /= 1000;
    return format("%.1f %s", value, units[unit]);
}

std::string InfoDatasheetsFTP::transferText(const FtpTransferProgress& progress, double seconds) {
    std::string line = format("%s %@: %@", progress.upload ? "Receiving" : "Sending", progress.fileName,
                              sizeText(progress.bytes));
    if (progress.total > 0) line += " of " + sizeText(progress.total);
    // A rate over a moment or over nothing says nothing.
    if (seconds >= 0.2 && progress.bytes > 0)
        line += " at " + sizeText(static_cast<std::uint64_t>(static_cast<double>(progress.bytes) / seconds)) + "/s";
    return line;
}

std::string InfoDatasheetsFTP::sessionText(int received, std::uint64_t receivedBytes, int sent, std::uint64_t sentBytes) {
    return format("This session: %d received (%@), %d sent (%@)", received, sizeText(receivedBytes), sent,
                  sizeText(sentBytes));
}

void InfoDatasheetsFTP::didTransferProgress(const FtpTransferProgress& progress) {
    const auto key = std::make_pair(progress.upload, progress.fileName);
    const auto now = std::chrono::steady_clock::now();
    if (progress.finished) {
        inFlight_.erase(key);
        if (progress.bytes > 0) {
            (progress.upload ? received_ : sent_) += 1;
            (progress.upload ? receivedBytes_ : sentBytes_) += progress.bytes;
        }
    } else {
        auto [it, added] = inFlight_.try_emplace(key, InFlight{progress, now});
        it->second.progress = progress;
    }
    showTransfers();
}

void InfoDatasheetsFTP::showTransfers() {
    std::string lines;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& [key, flight] : inFlight_) {
        if (!lines.empty()) lines += "\n";
        lines += transferText(flight.progress, std::chrono::duration<double>(now - flight.started).count());
    }
    m_pTransfer.setText(lines);
    m_pTransfer.setHidden(lines.empty());
    m_pSessionTotal.setText(sessionText(received_, receivedBytes_, sent_, sentBytes_));
    m_pSessionTotal.setHidden(received_ + sent_ == 0);  // nothing to say before the first file
}

std::string InfoDatasheetsFTP::portErrorPage(unsigned port, const std::string& reason) {
    return "<h3>Sharing is not available</h3><p style=\"color: #8a1c1c; background-color: #fdecea;\">" +
           escapeHtml(format(localizedString("PORT_ERROR"), static_cast<int>(port),
                             reason.empty() ? std::string("no reason given") : reason)) +
           "</p>";
}

void InfoDatasheetsFTP::onTimerDeviceInfo() {
    m_pDeviceInfo.setText(deviceInfoText(Utils::getTotalSpace(), Utils::getFreeSpace()));
}

void InfoDatasheetsFTP::flash(Label& label) {
    label.setHidden(false);
    // Every event schedules its own hide and none is withdrawn, so steady traffic blinks. A hide that comes due
    // after the screen is gone finds nothing to hide.
    std::weak_ptr<int> alive = alive_;
    Utils::runAfterDelay(kFlashSeconds, [alive, &label] {
        if (alive.lock()) label.setHidden(true);
    });
}

void InfoDatasheetsFTP::didDataReceived() { flash(m_pRX); }
void InfoDatasheetsFTP::didDataSend() { flash(m_pTX); }
void InfoDatasheetsFTP::didReceiveFileListChanged() { logLine("fileListChanged"); }

void InfoDatasheetsFTP::shutDown() {
    if (!open_) return;
    open_ = false;
    _announcer.reset();  // withdrawn from the network before the servers go
    if (_server) {
        _server->stopFtpServer();
        _server.reset();
    }
    if (_webServer) {
        _webServer->stop();
        _webServer.reset();
    }
    RunLoop::main().cancel(_pTimerInfo);
    _pTimerInfo = 0;
    Application::shared().setIdleTimerDisabled(false);
}

void InfoDatasheetsFTP::onButtonBack() {
    shutDown();
    dismissViewControllerAnimated(true, _dismissCompletion);
}
