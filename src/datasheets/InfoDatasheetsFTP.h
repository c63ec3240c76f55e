#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ftp/FtpNotificationReceiver.h"
#include "platform/RunLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"

class DnsSdAnnouncer;
class FtpServer;
class TlsContext;
class WebServer;

/// The transfer screen: while it is open the FTP server serves the documents folder, the page tells the address
/// to connect to, the storage line is refreshed every second and RX/TX flash for every command line read and every
/// reply written. The files in flight show with their bytes so far and rate, under a total for the session. When
/// the port cannot be used, the page says why in the system's words and the screen offers another port (the next
/// free one, or one the user types); a port that works is remembered for the next time. The "Encrypted (FTPS)"
/// switch, remembered too, has the server offer AUTH TLS with the certificate made for this user and shows that
/// certificate's fingerprint for the user to compare with what the client shows. The store is shared by the web
/// page and FTP, or by either alone, as the user chose last; the page's port, like FTP's, is offered anew when it
/// cannot be used and remembered once it works. Files uploaded through the page count and show as FTP's do. Back
/// stops the servers and asks the list to refresh.
class InfoDatasheetsFTP : public ViewController, public FtpNotificationReceiver {
public:
    static constexpr unsigned kDefaultControlPort = 2121;
    /// The browser page's port unless the user chose another one.
    static constexpr unsigned kDefaultWebPort = 8080;
    /// What the screen shares the store by (kept as the preference kShareByKey).
    enum class ShareBy { Both = 0, Web = 1, Ftp = 2 };
    /// How long an indicator stays lit after one event, in seconds.
    static constexpr float kFlashSeconds = 0.2f;

    explicit InfoDatasheetsFTP(std::string nibName = "InfoDatasheetsFTP");
    ~InfoDatasheetsFTP() override;

    WebView m_pWebView;
    Label m_pRX;
    Label m_pTX;
    Label m_pDeviceInfo;
    /// What the address's QR code says: the address, or empty (and hidden) when no one can connect.
    Label m_pAddressCode;
    /// The files being transferred, one line each; hidden when none is.
    Label m_pTransfer;
    /// What this session moved so far; hidden until a file has.
    Label m_pSessionTotal;
    /// Shown only when the port cannot be used: another port to share on, and the button that tries it.
    TextField m_pOtherPort;
    Button m_pShareOtherPort;
    /// Shown only when the page's port cannot be used: another port for it, and the button that tries it.
    TextField m_pOtherWebPort;
    Button m_pShareOtherWebPort;
    /// The three ways to share, one of them selected.
    Button m_pShareBoth;
    Button m_pShareWeb;
    Button m_pShareFtp;
    /// The encryption switch (selected: on); hidden while FTP is not shared.
    Button m_pEncrypted;
    /// While encrypted: the certificate's fingerprint; or why encryption is not available. Hidden otherwise.
    Label m_pFingerprint;

    /// The preference holding the port that last worked, when it is not the default.
    static constexpr const char* kPortKey = "transferPort";
    /// The preference holding whether the server is encrypted (off unless the user turned it on).
    static constexpr const char* kEncryptedKey = "transferEncrypted";
    /// The preference holding the page's port that last worked, when it is not the default.
    static constexpr const char* kWebPortKey = "transferWebPort";
    /// The preference holding how the store is shared (a ShareBy; both unless the user chose otherwise).
    static constexpr const char* kShareByKey = "transferShareBy";

    /// The control port the next transfer screen listens on: 2121 unless a test chooses another (0 lets the
    /// system pick a free one; see `listeningPort`).
    static void setControlPort(unsigned port);
    static unsigned controlPort();
    /// The web page's port for the next transfer screen, unless the user chose one (0: any free port).
    static void setWebPort(unsigned port);

    /// The running server (nullptr once the screen was closed, or while only the page is shared).
    FtpServer* server() const { return _server.get(); }
    /// The running web page (nullptr once the screen was closed).
    WebServer* webServer() const { return _webServer.get(); }
    /// The port clients reach, or 0 when the server could not listen.
    unsigned listeningPort() const;

    /// The page: every "_LINK_" of `pageTemplate` replaced by `linkText` and every "_WEB_ADDRESS_" by `webText`,
    /// HTML-escaped.
    static std::string pageText(std::string_view pageTemplate, const std::string& linkText,
                                const std::string& webText = "");
    /// `page` without the parts the sharing leaves out: what lies between "<!--web-->" and "<!--/web-->" unless
    /// `web`, between "<!--ftp-->" and "<!--/ftp-->" unless `ftp`.
    static std::string pageSections(std::string_view page, bool web, bool ftp);
    /// The web page's address with its key ("http://ADDRESS:PORT/?k=KEY"), or the NETWORK_ERROR text when the
    /// address is too short to be usable.
    static std::string webLinkText(const std::string& address, const WebServer& server);
    /// "ftp://ADDRESS:PORT", or the NETWORK_ERROR text when the address is too short to be usable.
    static std::string linkText(const std::string& address, unsigned port);
    /// The page shown instead when the server cannot listen on `port`: an error paragraph with the reason.
    static std::string portErrorPage(unsigned port, const std::string& reason);
    /// The fingerprint line for the screen: "Certificate SHA-256" over the fingerprint's two halves, one a line.
    static std::string fingerprintText(const std::string& fingerprint);
    /// "Device: %dMb, %dMb free".
    static std::string deviceInfoText(int totalMb, int freeMb);
    /// A byte count in decimal units: "512 B", "3.2 KB", "6.7 MB".
    static std::string sizeText(std::uint64_t bytes);
    /// A transfer in flight, `seconds` after it started: "Receiving NAME: 3.2 MB at 1.1 MB/s".
    static std::string transferText(const FtpTransferProgress& progress, double seconds);
    /// "This session: 2 received (6.7 MB), 1 sent (120 KB)".
    static std::string sessionText(int received, std::uint64_t receivedBytes, int sent, std::uint64_t sentBytes);

    /// Writes the storage line now.
    void onTimerDeviceInfo();
    /// Stops the server and closes the screen; the dismiss completion runs once the screen is gone.
    void onButtonBack();
    /// What runs after Back has closed the screen (the opening list refreshes through it); nothing by default.
    void setDismissCompletion(std::function<void()> completion) { _dismissCompletion = std::move(completion); }
    /// Starts sharing on the port typed in `m_pOtherPort`, remembering it when the server listens.
    void onButtonOtherPort();
    /// Turns encryption on or off, remembers the choice and starts sharing again on the same port.
    void onSwitchEncrypted();
    /// Starts the page on the port typed in `m_pOtherWebPort`, remembering it when the page listens.
    void onButtonOtherWebPort();
    /// Shares by the way chosen, remembers it, and starts or stops the servers to match.
    void shareBy(ShareBy way);
    ShareBy sharing() const { return shareBy_; }

    void didReceiveFileListChanged() override;
    void didDataSend() override;
    void didDataReceived() override;
    void didTransferProgress(const FtpTransferProgress& progress) override;

protected:
    void viewDidLoad() override;

private:
    void flash(Label& label);
    void shutDown();
    /// Starts the server on `port` and shows the address, or why it cannot listen and the offer of another port.
    void share(unsigned port);
    void showTransfers();
    /// Starts the page on `webPort_` unless it already serves; stops it when it is not `wanted`.
    void shareWeb(bool wanted);
    /// The page, the address code, the other-port offers and the announcement for what is shared now.
    void showSharing();
    /// The server's TLS context while the switch is on, made on first use; null (and the reason shown) when the
    /// certificate or the TLS module is not available.
    std::shared_ptr<TlsContext> encryption();

    std::unique_ptr<FtpServer> _server;
    std::unique_ptr<WebServer> _webServer;
    std::unique_ptr<DnsSdAnnouncer> _announcer;
    std::shared_ptr<TlsContext> tls_;  // kept while the screen is open: the certificate is read once
    unsigned port_ = 0;                // the port last shared on (or tried)
    unsigned webPort_ = 0;             // the page's port last tried
    unsigned webPortOffered_ = 0;      // the failed page port another one was offered for
    ShareBy shareBy_ = ShareBy::Both;
    RunLoop::Handle _pTimerInfo = 0;
    bool open_ = false;  // server, timer and keep-awake are on
    std::function<void()> _dismissCompletion;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // pending hides hold it weakly
    struct InFlight {
        FtpTransferProgress progress;
        std::chrono::steady_clock::time_point started;
    };
    std::map<std::pair<bool, std::string>, InFlight> inFlight_;  // by direction and name
    int received_ = 0, sent_ = 0;
    std::uint64_t receivedBytes_ = 0, sentBytes_ = 0;
};
