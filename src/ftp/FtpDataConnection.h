#pragma once
#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ftp/AtomicUpload.h"
#include "ftp/FtpDataListener.h"
#include "net/AsyncSocket.h"
#include "platform/UniqueFd.h"

/// One FTP data connection. It owns its transfers in both directions: what it sends (listings and files, a file
/// straight from its descriptor) and the file an upload is written to, each chunk as it arrives. It reports to its
/// control connection through `FtpDataListener`.
class FtpDataConnection : public AsyncSocketDelegate {
public:
    /// Values of `connectionState`.
    enum State { clientSending = 0, clientReceiving = 1, clientQuiet = 2, clientSent = 3 };
    /// The most an upload writes to its file in one call.
    static constexpr std::size_t kWriteSlice = 256 * 1024;

    /// Something to send: a text already encoded, or an open file sent from `offset` to its end.
    struct Outgoing {
        std::string bytes;
        UniqueFd file;
        off_t offset = 0;
    };
    /// Where an upload goes: a new version of the file (STOR), put in place only when the upload is complete, or
    /// the file itself (a resumed STOR, APPE), written in place from `offset` on; `written` counts the bytes.
    struct Incoming {
        std::unique_ptr<AtomicUpload> replacement;
        UniqueFd file;  ///< in place: the file, locked; with a replacement: the old version, if any, share-locked
        off_t offset = 0;
        bool append = false;   ///< written at the file's end as it is at each write
        off_t oldLength = 0;   ///< in place: the file's length before, which a failed upload gives back
        std::uint64_t written = 0;
        int error = 0;  ///< errno of the failed write that ended the upload

        int fd() const { return replacement ? replacement->fd() : file.get(); }
    };
    /// Transfers announced before the data connection exists; the data connection takes them when it is made.
    struct Pending {
        std::deque<Outgoing> outgoing;
        std::optional<Incoming> incoming;
    };

    /// Takes over `socket` (connected, or still connecting) as its delegate and takes the pending transfers,
    /// leaving `pending` empty. Nothing is sent before `start`. `listener` must outlive this object.
    FtpDataConnection(std::shared_ptr<AsyncSocket> socket, FtpDataListener& listener, Pending& pending,
                      State initialState);
    ~FtpDataConnection() override;
    FtpDataConnection(const FtpDataConnection&) = delete;
    FtpDataConnection& operator=(const FtpDataConnection&) = delete;

    /// Starts sending what was pending; called once the owner holds this object, as the end of a transfer may be
    /// reported at once.
    void start();
    /// Queues one transfer; the listener hears `dataTransferSent` when its last byte is out.
    void writeData(Outgoing item);
    /// Writes the bytes the client sends into `file` until the client closes its side.
    void receiveInto(Incoming file);
    /// The upload's file, handed back when the upload is over (nothing when there was none).
    std::optional<Incoming> takeIncoming();
    /// Closes the socket at once, without further messages.
    void closeConnection();

    bool isReceiving() const { return incoming_.has_value(); }
    /// Whether transfers are still queued or being written.
    bool hasPendingTransfers() const { return !outgoing_.empty() || !writeEnds_.empty(); }
    /// Bytes received so far and bytes not yet sent: a transfer whose two stay the same makes no progress.
    std::pair<std::uint64_t, std::uint64_t> progress() const { return {received_, dataSocket_->unsentByteCount()}; }
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
    /// Lets the kernel move the upload's bytes into its file where it can (not for an append).
    void spliceIntoFile();
    /// Counts bytes that arrived from the client.
    void arrived(std::uint64_t bytes);
    /// Ends the upload on the failed write's `error`.
    void failUpload(int error);

    std::shared_ptr<AsyncSocket> dataSocket_;
    FtpDataListener& listener_;
    int connectionState_ = clientQuiet;
    bool connected_ = false;
    bool closed_ = false;
    std::deque<Outgoing> outgoing_;
    std::deque<int> writeEnds_;  // one per write in flight: how many transfers end with it
    std::optional<Incoming> incoming_;
    std::uint64_t received_ = 0;
};
