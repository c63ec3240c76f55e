#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ftp/FtpCommandLine.h"
#include "ftp/FtpConnectionOwner.h"
#include "ftp/FtpDataConnection.h"
#include "ftp/FtpLineSplitter.h"
#include "ftp/FtpListing.h"
#include "ftp/FtpSettings.h"
#include "net/AsyncSocket.h"

/// One FTP control connection: greets the client, cuts its bytes into command lines, dispatches each through the
/// command table and writes the replies; holds the session (current folder, rename source, data-connection mode)
/// and sets up data connections. Owned by the server, which it reaches only through `FtpConnectionOwner`.
///
/// Lifetime, socket events, dispatch and replies live in FtpConnection.cpp; the session commands and the owner's
/// controls in FtpSessionCommands.cpp; the file commands in FtpFileCommands.cpp; the data-port commands and
/// transfers in FtpDataCommands.cpp.
class FtpConnection : public AsyncSocketDelegate, private FtpDataListener {
public:
    using Words = FtpCommandLine::Words;
    /// Values of `transferMode`: the kind of the next data connection.
    enum Mode { pasvMode = 0, epsvMode = 1, portMode = 2, lprtMode = 3, eprtMode = 4 };

    /// The longest command line taken; a longer one is answered 500 and dropped.
    static constexpr std::size_t kMaxLineLength = 8192;
    /// Seconds the last reply of a timed-out connection may take to go out before it is closed anyway.
    static constexpr double kCloseTimeout = 10;
    /// Passive ports drawn at random before the system is asked for a free one.
    static constexpr int kPasvAttempts = 16;
    /// Wrong passwords one connection may send before it is closed.
    static constexpr int kMaxFailedPasswords = 3;
    /// Sockets accepted on one passive port and not yet judged; a flood of strangers beyond this drops the oldest.
    static constexpr std::size_t kMaxAcceptedDataSockets = 8;
    /// Command lines handled in one turn of the loop before the connection lets the others go first.
    static constexpr int kCommandsPerTurn = 64;
    /// Bytes of further commands kept while a login waits; past this the client's socket is not read.
    static constexpr std::size_t kMaxHeldBytes = 64 * 1024;

    /// Becomes `socket`'s delegate and greets the client. `settings` and `owner` outlive the connection.
    FtpConnection(std::shared_ptr<AsyncSocket> socket, const FtpSettings& settings, FtpConnectionOwner& owner);
    /// Closes every socket at once (no further messages) and the file being stored.
    ~FtpConnection() override;
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    /// The words of the commands this server knows, in the order the table is built.
    static std::vector<std::string> commandWords();

    /// The client's address, as the control socket reports its peer.
    const std::string& connectionAddress() const { return peerAddress_; }
    /// Writes one reply line (CR LF added).
    void sendMessage(const std::string& text);
    /// Handles one command line without its line end (bytes as received).
    void processDataRead(std::string_view line);
    /// Whether the client has sent QUIT.
    bool hasQuit() const { return quitting_; }
    /// Whether the client was let in (greeted) rather than turned away by the owner's limits; false until then.
    bool isAdmitted() const { return admitted_; }
    /// Whether a password of this connection waits to be checked or answered.
    bool isLoginPending() const { return loginDelay_ != 0; }

    /// A port for the passive modes, `low` to `high`, from a generator seeded once from the system's random source.
    static std::uint16_t choosePasvDataPort(unsigned low = 1024, unsigned high = 65535);

    /// The current folder, relative to the base ("" for the base itself).
    const std::string& currentDir() const { return currentDir_; }

    // AsyncSocket delegate (control socket, passive listening socket, and a passive socket being accepted).
    bool onSocketWillConnect(AsyncSocket* sock) override;
    void onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t tag) override;
    void onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t tag) override;
    void onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) override;
    void onSocketDidDisconnect(AsyncSocket* sock) override;
    void onSocketDidSecure(AsyncSocket* sock) override;

    /// Seconds a TLS handshake may take on the control or a data connection.
    static constexpr double kTlsHandshakeTimeout = 30;

private:
    using Handler = void (FtpConnection::*)(const Words&);
    struct Command {
        const char* word;
        Handler handler;  // null: a word in the table without a handler, answered as unknown
    };
    static const std::vector<Command>& commandTable();
    void processCommand(const Words& words);
    /// The owner's controls: whether `word` (lower case) may run now; answers the refusal itself when not.
    bool allowed(const std::string& word);
    /// Stops taking command lines while a login delay runs or the client does not read its replies, and takes
    /// them again when neither holds.
    void updateHold();
    /// Writes one reply line (line end included) on the control socket, or keeps it until the one before is out.
    void writeReply(std::string line);
    /// Writes what waits and closes the control socket once everything is out.
    void closeAfterReplies();
    /// The bytes of the replies not yet written.
    std::uint64_t unsentReplyCost() const;
    /// Waits the idle time again from now (nothing when there is no idle limit).
    void restartIdleTimer();
    void idleTimeUp();
    /// Sends a last reply and closes the connection once it is out (or after `kCloseTimeout` regardless).
    void closeWithReply(const std::string& reply);
    /// The password check of PASS, once the address's penalty has passed.
    void checkPassword(const std::string& password);

    // Session commands (FtpSessionCommands.cpp).
    void doUser(const Words& words);
    void doPass(const Words& words);
    void doStat(const Words& words);
    void doFeat(const Words& words);
    void doSyst(const Words& words);
    void doNoop(const Words& words);
    void doType(const Words& words);
    void doOpts(const Words& words);
    void doPwd(const Words& words);
    void doCwd(const Words& words);
    void doCdUp(const Words& words);
    void doQuit(const Words& words);
    void doMode(const Words& words);
    void doStru(const Words& words);
    void doAllo(const Words& words);
    void doHelp(const Words& words);
    // File commands (FtpFileCommands.cpp).
    void doMkdir(const Words& words);
    void doDele(const Words& words);
    void doRmd(const Words& words);
    /// DELE (files only) and RMD (empty folders only).
    void removeEntry(const Words& words, bool rmd);
    void doRnfr(const Words& words);
    void doRnto(const Words& words);
    void doSize(const Words& words);
    void doList(const Words& words);
    void doNlst(const Words& words);
    void doRetr(const Words& words);
    void doStor(const Words& words);
    void doAppe(const Words& words);
    void doMdtm(const Words& words);
    void doMlst(const Words& words);
    void doMlsd(const Words& words);
    void doMfmt(const Words& words);
    void doSite(const Words& words);
    void siteChmod(const Words& words);
    /// Sets the modification time of the entry a client names (MFMT, SITE UTIME); false when a refusal was sent.
    bool setModificationTime(const std::string& name, const std::string& when);
    // TLS commands (FtpTlsCommands.cpp).
    static const Command* tlsCommand(const std::string& word);
    void doAuth(const Words& words);
    void doPbsz(const Words& words);
    void doProt(const Words& words);
    void doCcc(const Words& words);
    /// The owner's demand for TLS: whether `word` (a transfer or not) may run as things are; answers if not.
    bool tlsAllows(const std::string& word, bool transfer);
    /// Under PROT P starts TLS on a data socket and returns true; an accepted socket is taken only once its
    /// handshake has completed (onSocketDidSecure).
    bool secureDataSocket(AsyncSocket& sock);
    // Data-port commands (FtpDataCommands.cpp).
    void doPasv(const Words& words);
    void doEpsv(const Words& words);
    void doPort(const Words& words);
    void doLprt(const Words& words);
    void doEprt(const Words& words);
    void doRest(const Words& words);
    void doAbor(const Words& words);

    const FtpPathResolver& paths() const { return settings_.paths; }
    /// The path (relative to the base) a client's name stands for, or nothing when ".." climbs above "/".
    /// A relative name gets nothing too while the current folder is no longer the one CWD entered.
    std::optional<std::string> filePath(const std::string& name) const;
    /// The device and inode of a folder beneath the base, or nothing.
    std::optional<std::pair<dev_t, ino_t>> folderIdentity(const std::string& path) const;
    bool changedCurrentDirectoryTo(const std::string& name);
    bool requireArgument(const std::string& value);
    /// STOR and APPE: receives the upload into the regular file named, from the REST offset or replacing it
    /// (STOR), or at its end (APPE).
    void storeFile(const Words& words, bool append);
    /// The status of the regular file a client names (SIZE, MDTM), or false when a refusal was sent.
    bool statRegularFile(const std::string& name, struct stat& st);
    /// Sends the listing of a folder, of the entries a wildcard matches, or of one file (LIST, NLST, MLSD).
    void sendListing(const Words& words, FtpListing::Style style);

    /// Sets up the data connection for `transferMode` and replies; false when no data port could be opened
    /// (the reply then is 425).
    bool openDataSocket(unsigned port);
    /// A socket accepted on the passive port is open: it becomes the data connection when it is the control
    /// connection's own client, and is closed at once otherwise (the port then keeps waiting for the client).
    void takeAcceptedDataSocket(AsyncSocket* sock);
    bool isAcceptedDataSocket(const AsyncSocket* sock) const {
        for (const auto& s : acceptedDataSockets_)
            if (s.get() == sock) return true;
        return false;
    }
    void closeAcceptedDataSockets();
    /// Whether a data connection exists or a passive port is listening (else a transfer gets 425).
    bool canTransfer() const;
    /// Sends on the data connection, or holds it until a client connects to the passive port.
    void sendData(FtpDataConnection::Outgoing item);
    /// Sends a text (a listing) as it is.
    void sendDataString(const std::string& text);
    /// Writes the client's upload into `file`, now or once the client connects.
    void receiveData(FtpDataConnection::Incoming file);
    /// Whether an upload (STOR) is waiting for or receiving its bytes.
    bool isUploading() const;
    /// Whether a transfer is announced and not over: a connection runs one at a time.
    bool transferBusy() const;
    /// Ends the transfer under way with `reply` (ABOR, a stalled transfer); an upload's new version is dropped.
    void endTransfer(const std::string& reply);
    /// Watches the transfer just announced for progress (nothing without a transfer time-out).
    void watchTransfer();
    /// Gives the server back the memory the listing being sent took from its budget.
    void releaseListingMemory();
    void checkTransferProgress();
    /// Drops the data connection; it is destroyed on the next turn (it may be on the stack now).
    void retireDataConnection();
    void closeSocket(std::shared_ptr<AsyncSocket>& socket);
    /// The session is over: tells the owner, which destroys this connection later.
    void ended();

    // FtpDataListener.
    void dataTransferSent() override;
    void dataReceived(std::uint64_t written) override;
    /// Tells the server's receiver of a file transfer starting (RETR, STOR, APPE).
    void startTransferReport(const std::string& name, bool upload, std::uint64_t total);
    /// Tells it that the transfer reported last is over, with `bytes` moved.
    void endTransferReport(std::uint64_t bytes);
    void dataConnectionClosed(const std::optional<Error>& error) override;

    std::shared_ptr<AsyncSocket> connectionSocket_;
    const FtpSettings& settings_;
    FtpConnectionOwner& owner_;
    std::shared_ptr<AsyncSocket> dataListeningSocket_;  // the passive port's listener, while there is one
    std::vector<std::shared_ptr<AsyncSocket>> acceptedDataSockets_;  // on the passive port, not yet judged
    std::shared_ptr<AsyncSocket> dataSocket_;           // the active mode's connecting socket
    std::unique_ptr<FtpDataConnection> dataConnection_;
    FtpDataConnection::Pending pending_;  // transfers announced before the data connection exists
    std::uint16_t dataPort_ = 2001;
    int transferMode_ = pasvMode;
    std::string peerAddress_;  // the control socket's peer, read once it is connected
    std::string currentUser_;
    std::string currentDir_;  // relative to the base; walked again on every use
    std::pair<dev_t, ino_t> currentDirId_{};  // the folder CWD entered
    std::string rnfrFilename_;
    long long restartOffset_ = 0;  // from REST, for the RETR or STOR right after it
    FtpLineSplitter lines_;
    bool controlSecure_ = false;   // AUTH TLS was accepted
    bool protectData_ = false;     // PROT P: data connections are encrypted
    std::string tlsSessionContext_;  // this connection's own: data connections resume its TLS sessions only
    bool quitting_ = false;
    bool loggedIn_ = true;
    int failedPasswords_ = 0;
    bool admitted_ = false;
    bool repliesBackedUp_ = false;      // the client reads its replies too slowly: its commands wait
    bool replyInFlight_ = false;  // a write is on its way on the control socket; later replies wait in outbox_
    std::string outbox_;
    std::uint64_t listingBytes_ = 0;  // of the server's memory budget, for the listing being sent
    RunLoop::Handle loginDelay_ = 0;    // a wrong password's answer, not yet given
    RunLoop::Handle idleTimer_ = 0;
    RunLoop::Handle loginTimer_ = 0;  // closes a client that does not log in in time
    RunLoop::Handle closeTimer_ = 0;  // closes a client whose last reply does not go out
    RunLoop::Handle transferTimer_ = 0;
    RunLoop::Handle yieldTurn_ = 0;  // the command lines left of this turn wait for the next one
    int commandsThisTurn_ = 0;
    FtpTransferProgress transferReport_;  // the file transfer under way; no name when none
    std::pair<std::uint64_t, std::uint64_t> transferProgress_{};
    std::chrono::steady_clock::time_point transferMovedAt_{};
};
