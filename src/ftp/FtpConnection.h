#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ftp/FtpDataConnection.h"
#include "ftp/FtpLineSplitter.h"
#include "ftp/FtpPathResolver.h"
#include "net/AsyncSocket.h"
#include "platform/RunLoop.h"

class FtpServer;

/// One FTP control connection: greets the client, cuts its bytes into command lines, dispatches each through the
/// server's command table and writes the replies; holds the session (current directory, rename source, file
/// being stored, data-connection mode) and sets up data connections. Owned by the server.
class FtpConnection : public AsyncSocketDelegate {
public:
    using Words = std::vector<std::string>;
    /// Values of `transferMode`: the kind of the next data connection.
    enum Mode { pasvMode = 0, epsvMode = 1, portMode = 2, lprtMode = 3, eprtMode = 4 };

    /// The longest command line taken; a longer one is answered 500 and dropped.
    static constexpr std::size_t kMaxLineLength = 8192;
    /// Passive ports drawn at random before the system is asked for a free one.
    static constexpr int kPasvAttempts = 16;

    /// Becomes `socket`'s delegate and greets the client. `server` is not owned and outlives the connection.
    FtpConnection(std::shared_ptr<AsyncSocket> socket, FtpServer* server);
    /// Closes every socket at once (no further messages) and the file being stored.
    ~FtpConnection() override;
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    /// The client's address, as the control socket reports its peer.
    std::string connectionAddress() const;
    /// Writes one reply line (CR LF added).
    void sendMessage(const std::string& text);
    /// Handles one command line without its line end (bytes as received).
    void processDataRead(std::string_view line);
    /// Dispatches `msgComponents`.
    void processCommand();

    /// A port for the passive modes, 1024 to 65535, drawn afresh on every call.
    static std::uint16_t choosePasvDataPort();
    /// Sets up the data connection for `transferMode` and replies; false when no data port could be opened
    /// (the reply then is 425).
    bool openDataSocket(unsigned port);
    /// Sends bytes on the data connection, or holds them until a client connects to the passive port.
    void sendData(FtpDataConnection::Outgoing item);
    /// Sends a text in Unicode form C, UTF-8 encoded.
    void sendDataString(const std::string& text);

    // From the data connection.
    void didReceiveDataRead();
    /// One transfer's last byte is out: "226 Transfer complete."; closes the data connection when nothing else
    /// is pending.
    void didReceiveDataWritten();
    /// The data connection closed: ends an upload ("226" on a clean end), or reports an aborted transfer.
    void didFinishReading(const std::optional<Error>& err);
    /// Whether an upload (STOR) is waiting for or receiving its bytes.
    bool isUploading() const { return currentFileHandle_ >= 0; }

    int transferMode() const { return transferMode_; }
    /// The current folder, relative to the base ("" for the base itself).
    const std::string& currentDir() const { return currentDir_; }
    const std::string& currentFile() const { return currentFile_; }
    const std::string& rnfrFilename() const { return rnfrFilename_; }
    std::uint16_t dataPort() const { return dataPort_; }
    AsyncSocket* connectionSocket() const { return connectionSocket_.get(); }

    // Command handlers: `sender` is this connection, `words` the command line's words (the command first).
    void doUserArguments(FtpConnection* sender, const Words& words);
    void doPassArguments(FtpConnection* sender, const Words& words);
    void doStatArguments(FtpConnection* sender, const Words& words);
    void doFeatArguments(FtpConnection* sender, const Words& words);
    void doSystArguments(FtpConnection* sender, const Words& words);
    void doNoopArguments(FtpConnection* sender, const Words& words);
    void doTypeArguments(FtpConnection* sender, const Words& words);
    void doOptsArguments(FtpConnection* sender, const Words& words);
    void doPwdArguments(FtpConnection* sender, const Words& words);
    void doCwdArguments(FtpConnection* sender, const Words& words);
    void doCdUpArguments(FtpConnection* sender, const Words& words);
    void doMkdirArguments(FtpConnection* sender, const Words& words);
    void doDeleArguments(FtpConnection* sender, const Words& words);
    void doRnfrArguments(FtpConnection* sender, const Words& words);
    void doRntoArguments(FtpConnection* sender, const Words& words);
    void doSizeArguments(FtpConnection* sender, const Words& words);
    void doListArguments(FtpConnection* sender, const Words& words);
    void doNlstArguments(FtpConnection* sender, const Words& words);
    void doRetrArguments(FtpConnection* sender, const Words& words);
    void doStorArguments(FtpConnection* sender, const Words& words);
    void doMlstArguments(FtpConnection* sender, const Words& words);
    void doQuitArguments(FtpConnection* sender, const Words& words);
    void doPasvArguments(FtpConnection* sender, const Words& words);
    void doEpsvArguments(FtpConnection* sender, const Words& words);
    void doPortArguments(FtpConnection* sender, const Words& words);
    void doLprtArguments(FtpConnection* sender, const Words& words);
    void doEprtArguments(FtpConnection* sender, const Words& words);

    // AsyncSocket delegate (control socket and passive listening socket).
    bool onSocketWillConnect(AsyncSocket* sock) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t tag) override;
    void onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t tag) override;
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidDisconnect(AsyncSocket* sock) override;

private:
    using Handler = void (FtpConnection::*)(FtpConnection*, const Words&);
    static Handler handlerNamed(const std::string& name);

    /// The path (relative to the base) a client's name stands for, or nothing when ".." climbs above "/".
    std::optional<std::string> filePath(const std::string& name) const;
    const FtpPathResolver& paths() const;
    bool changedCurrentDirectoryTo(const std::string& name);
    /// Whether a data connection exists or a passive port is listening (else a transfer gets 425).
    bool canTransfer() const;
    /// Drops the data connection; it is destroyed on the next turn (it may be on the stack now).
    void retireDataConnection();
    void closeCurrentFile();
    void closeSocket(std::shared_ptr<AsyncSocket>& socket);
    bool requireArgument(const std::string& value);
    /// A client reached the passive port: its socket becomes the data connection when it is the control
    /// connection's own client, and is closed at once otherwise.
    void takeAcceptedDataSocket(AsyncSocket* sock);

    std::shared_ptr<AsyncSocket> connectionSocket_;
    FtpServer* server_;
    std::shared_ptr<AsyncSocket> dataListeningSocket_;  // the passive port's listener, while there is one
    std::shared_ptr<AsyncSocket> acceptedDataSocket_;   // accepted on the passive port, not yet set up
    std::shared_ptr<AsyncSocket> dataSocket_;           // the active mode's connecting socket
    std::unique_ptr<FtpDataConnection> dataConnection_;
    std::vector<std::unique_ptr<FtpDataConnection>> retiredDataConnections_;
    RunLoop::Handle destroyRetired_ = 0;
    Words msgComponents_;
    std::uint16_t dataPort_ = 2001;
    int transferMode_ = pasvMode;
    std::deque<FtpDataConnection::Outgoing> queuedData_;
    std::string currentUser_;
    std::string currentDir_;  // relative to the base; walked again on every use
    std::string currentFile_;
    int currentFileHandle_ = -1;
    bool uploadFailed_ = false;
    std::string rnfrFilename_;
    FtpLineSplitter lines_;
    bool quitting_ = false;
};
