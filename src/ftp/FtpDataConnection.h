#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/AsyncSocket.h"

class FtpConnection;

/// One FTP data connection: sends listings and files to the client, or hands received upload bytes to its control
/// connection, and reports the end of each transfer. Files are streamed in bounded chunks, so a download of any
/// size holds at most `kChunkSize * kChunksInFlight` bytes in memory.
class FtpDataConnection : public AsyncSocketDelegate {
public:
    /// Values of `connectionState`.
    enum State { clientSending = 0, clientReceiving = 1, clientQuiet = 2, clientSent = 3 };

    static constexpr std::size_t kChunkSize = 256 * 1024;
    static constexpr int kChunksInFlight = 2;

    /// Something to send: a text already encoded, or an open file sent from its current offset to its end.
    class Outgoing {
    public:
        static Outgoing bytes(std::string data);
        /// Takes ownership of the descriptor; it is closed when the item is done or dropped.
        static Outgoing file(int fd);
        Outgoing(Outgoing&& other) noexcept;
        Outgoing& operator=(Outgoing&& other) noexcept;
        ~Outgoing();

    private:
        friend class FtpDataConnection;
        Outgoing() = default;
        std::string data_;
        int fd_ = -1;
        bool started_ = false;
    };

    /// Takes over `socket` (connected, or still connecting) as its delegate and takes `queuedData` to send in
    /// order (from `start`), leaving the queue empty. `connection` is not owned and must outlive this object.
    FtpDataConnection(std::shared_ptr<AsyncSocket> socket, FtpConnection* connection,
                      std::deque<Outgoing>& queuedData, State initialState);
    ~FtpDataConnection() override;
    FtpDataConnection(const FtpDataConnection&) = delete;
    FtpDataConnection& operator=(const FtpDataConnection&) = delete;

    /// Starts sending what was queued; called once the owner holds this object, as the end of a transfer may
    /// be reported at once.
    void start();
    /// Queues one transfer; the control connection hears `didReceiveDataWritten` when its last byte is out.
    void writeData(Outgoing item);
    /// Closes the socket at once, without further messages.
    void closeConnection();

    int connectionState() const { return connectionState_; }
    void setConnectionState(int state) { connectionState_ = state; }
    /// The bytes of the read being handled; valid only during `FtpConnection::didReceiveDataRead`.
    std::string_view receivedData() const { return receivedData_; }
    /// Whether transfers are still queued or being written.
    bool hasPendingTransfers() const { return !outgoing_.empty() || !writeEnds_.empty(); }
    /// Whether the connection to the client was ever established.
    bool hasConnected() const { return connected_; }
    AsyncSocket* socket() const { return dataSocket_.get(); }

    // AsyncSocket delegate.
    bool onSocketWillConnect(AsyncSocket* sock) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t tag) override;
    void onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t tag) override;
    bool onReadStreamEnded(AsyncSocket* sock) override;
    void onSocketWillDisconnectWithError(AsyncSocket* sock, const std::optional<Error>& err) override;

private:
    void pump();
    void fail(const char* why);

    std::shared_ptr<AsyncSocket> dataSocket_;
    FtpConnection* ftpConnection_;
    std::string_view receivedData_;
    int connectionState_ = clientQuiet;
    bool connected_ = false;
    bool closed_ = false;
    std::deque<Outgoing> outgoing_;
    std::deque<int> writeEnds_;  // one per write in flight: how many transfers end with it
};
