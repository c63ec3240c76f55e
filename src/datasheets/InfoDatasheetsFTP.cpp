#include "datasheets/InfoDatasheetsFTP.h"

#include "platform/Utils.h"
#include "datasheets/DocumentsFolder.h"
#include "ftp/FtpServer.h"
#include "ftp/NetworkController.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Resources.h"
#include "platform/ui/Application.h"

namespace {

unsigned gControlPort = InfoDatasheetsFTP::kDefaultControlPort;

// Addresses shorter than this ("", "0.0.0") cannot be a usable dotted IPv4 address.
constexpr size_t kMinAddressLength = 6;

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

}  // namespace

InfoDatasheetsFTP::InfoDatasheetsFTP(std::string nibName) : ViewController(std::move(nibName)) {
    registerOutlet("m_pWebView", m_pWebView);
    registerOutlet("m_pRX", m_pRX);
    registerOutlet("m_pTX", m_pTX);
    registerOutlet("m_pDeviceInfo", m_pDeviceInfo);
    registerOutlet("m_pAddressCode", m_pAddressCode);
    registerAction("onButtonBack", [this] { onButtonBack(); });
}

InfoDatasheetsFTP::~InfoDatasheetsFTP() {
    // Closed some other way than back (its presenter went first): the server must not outlive the screen.
    shutDown();
}

void InfoDatasheetsFTP::setControlPort(unsigned port) { gControlPort = port; }
unsigned InfoDatasheetsFTP::controlPort() { return gControlPort; }

unsigned InfoDatasheetsFTP::listeningPort() const {
    return _server && _server->isListening() ? _server->localPort() : 0;
}

std::string InfoDatasheetsFTP::pageText(std::string_view pageTemplate, const std::string& linkText) {
    static constexpr std::string_view kPlaceholder = "_LINK_";
    const std::string link = escapeHtml(linkText);
    std::string page;
    size_t from = 0;
    for (size_t at; (at = pageTemplate.find(kPlaceholder, from)) != std::string_view::npos;
         from = at + kPlaceholder.size()) {
        page.append(pageTemplate.substr(from, at - from));
        page += link;
    }
    page.append(pageTemplate.substr(from));
    return page;
}

std::string InfoDatasheetsFTP::linkText(const std::string& address, unsigned port) {
    if (address.size() < kMinAddressLength) return localizedString("NETWORK_ERROR");
    return format("ftp://%@:%d", address, static_cast<int>(port));
}

std::string InfoDatasheetsFTP::deviceInfoText(int totalMb, int freeMb) {
    return format("Device: %dMb, %dMb free", totalMb, freeMb);
}

void InfoDatasheetsFTP::viewDidLoad() {
    open_ = true;
    m_pRX.setHidden(true);
    m_pTX.setHidden(true);
    const std::string pageTemplate(resourceNamed("HtmlFTP").value_or(""));
    const std::string address = NetworkController::localWifiIPAddress();

    onTimerDeviceInfo();
    _pTimerInfo = RunLoop::main().runEvery(1.0, [this] { onTimerDeviceInfo(); });

    const std::string baseDir = DocumentsFolder::path();
    NSLog("Base dir: %@", baseDir);
    Application::shared().setIdleTimerDisabled(true);
    _server = std::make_unique<FtpServer>(gControlPort, baseDir, this);

    // The address is only worth showing when someone can connect to it; a port taken by another program is
    // said plainly instead, as an error with its reason rather than in the address box.
    const std::string link = _server->isListening() ? linkText(address, _server->localPort()) : std::string();
    if (_server->isListening())
        m_pWebView.loadHTMLString(pageText(pageTemplate, link));
    else
        m_pWebView.loadHTMLString(portErrorPage(gControlPort, _server->listenError().localizedDescription));
    // A phone reads the address from the code; a code for an error text would only mislead it.
    const bool reachable = _server->isListening() && address.size() >= kMinAddressLength;
    m_pAddressCode.setText(reachable ? link : "");
    m_pAddressCode.setHidden(!reachable);
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
    if (_server) {
        _server->stopFtpServer();
        _server.reset();
    }
    RunLoop::main().cancel(_pTimerInfo);
    _pTimerInfo = 0;
    Application::shared().setIdleTimerDisabled(false);
}

void InfoDatasheetsFTP::onButtonBack() {
    shutDown();
    dismissViewControllerAnimated(true, _dismissCompletion);
}
