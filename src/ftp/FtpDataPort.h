#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ftp/FtpDataChannel.h"
#include "ftp/FtpDataConnection.h"
#include "ftp/FtpSettings.h"
#include "net/AsyncSocket.h"

/// The data side of one control connection on real sockets: the passive port's listener and the sockets it
/// accepts, the active mode's connect, the data connection, and the transfers announced before it exists.
class FtpDataPort : public FtpDataChannel, public AsyncSocketDelegate, private FtpDataListener {
public:
    /// Passive ports drawn at random before the system is asked for a free one.
    static constexpr int kPasvAttempts = 16;
    /// Sockets accepted on one passive port and not yet judged; a flood of strangers beyond this drops the oldest.
    static constexpr std::size_t kMaxAcceptedDataSockets = 8;
    /// Seconds a TLS handshake may take on a data connection.
    static constexpr double kTlsHandshakeTimeout = 30;

    /// Reports to `events`; `settings` and `events` outlive this object.
    FtpDataPort(const FtpSettings& settings, FtpDataEvents& events);
    /// Closes every socket at once (no further messages) and drops the transfers, the upload's file with them.
    ~FtpDataPort() override;
    FtpDataPort(const FtpDataPort&) = delete;
    FtpDataPort& operator=(const FtpDataPort&) = delete;

    /// A port for the passive modes, `low` to `high`, from a generator seeded once from the system's random source.
    static std::uint16_t choosePasvDataPort(unsigned low = 1024, unsigned high = 65535);

    // FtpDataChannel.
    std::optional<std::uint16_t> listen(const std::string& host, const std::string& client) override;
    bool connect(const std::string& client, std::uint16_t port) override;
    bool isOpen() const override { return dataConnection_ || dataListeningSocket_; }
    void send(FtpDataConnection::Outgoing item) override;
    void receive(FtpDataConnection::Incoming file) override;
    bool isBusy() const override;
    std::optional<FtpDataConnection::Incoming> abort() override;
    std::pair<std::uint64_t, std::uint64_t> progress() const override;
    bool hasConnected() const override { return dataConnection_ && dataConnection_->hasConnected(); }
    void setProtection(std::optional<std::string> sessionContext) override { protection_ = std::move(sessionContext); }

    // AsyncSocket delegate (the passive listening socket and the sockets it accepts, until one is taken).
    bool onSocketWillConnect(AsyncSocket* sock) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidSecure(AsyncSocket* sock) override;

private:
    // FtpDataListener.
    void dataTransferSent() override;
    void dataReceived(std::uint64_t written) override;
    void dataConnectionClosed(const std::optional<Error>& error) override;

    /// Closes the passive port, the sockets it accepted, the connecting socket and the data connection.
    void closeAll();
    /// A socket accepted on the passive port is open: it becomes the data connection when it is the control
    /// connection's own client, and is closed at once otherwise (the port then keeps waiting for the client).
    void takeAcceptedDataSocket(AsyncSocket* sock);
    bool isAcceptedDataSocket(const AsyncSocket* sock) const;
    void closeAcceptedDataSockets();
    /// Under protection starts TLS on a data socket and returns true; an accepted socket is taken only once its
    /// handshake has completed (onSocketDidSecure).
    bool secureDataSocket(AsyncSocket& sock);
    /// Makes the data connection on `socket` and hands it what was pending.
    void startDataConnection(std::shared_ptr<AsyncSocket> socket, FtpDataConnection::State state);
    /// Drops the data connection; it is destroyed on the next turn (it may be on the stack now).
    void retireDataConnection();
    static void closeSocket(std::shared_ptr<AsyncSocket>& socket);

    const FtpSettings& settings_;
    FtpDataEvents& events_;
    std::string client_;  // the only address a passive port takes
    std::optional<std::string> protection_;  // the TLS session context data connections are encrypted in
    std::shared_ptr<AsyncSocket> dataListeningSocket_;  // the passive port's listener, while there is one
    std::vector<std::shared_ptr<AsyncSocket>> acceptedDataSockets_;  // on the passive port, not yet judged
    std::shared_ptr<AsyncSocket> dataSocket_;           // the active mode's connecting socket
    std::unique_ptr<FtpDataConnection> dataConnection_;
    FtpDataConnection::Pending pending_;  // transfers announced before the data connection exists
};
