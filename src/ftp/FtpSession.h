#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ftp/FtpCommandLine.h"
#include "ftp/FtpConnectionOwner.h"
#include "ftp/FtpControlChannel.h"
#include "ftp/FtpDataChannel.h"
#include "ftp/FtpLineSplitter.h"
#include "ftp/FtpListing.h"
#include "ftp/FtpSettings.h"
#include "platform/RunLoop.h"

/// The FTP session of one control connection, apart from its sockets: cuts the client's bytes into command lines,
/// dispatches each through the command table, and holds the session's state and rules (login, which commands may
/// run when, the current folder, the one-shot REST and RNFR state, read-only, the owner's limits, TLS and data
/// protection). Replies go to an `FtpControlChannel`; transfers to an `FtpDataChannel`, which reports back through
/// `FtpDataEvents`. `FtpConnection` gives it real sockets; a test gives it fakes.
///
/// Dispatch, replies and limits live in FtpSession.cpp; the session commands in FtpSessionCommands.cpp; the file
/// commands in FtpFileCommands.cpp; the data-port commands and transfers in FtpDataCommands.cpp; TLS in
/// FtpTlsCommands.cpp.
class FtpSession : public FtpDataEvents {
public:
    using Words = FtpCommandLine::Words;
    /// Values of `transferMode`: the kind of the next data connection.
    enum Mode { pasvMode = 0, epsvMode = 1, portMode = 2, lprtMode = 3, eprtMode = 4 };

    /// The longest command line taken; a longer one is answered 500 and dropped.
    static constexpr std::size_t kMaxLineLength = 8192;
    /// Seconds the last reply of a timed-out connection may take to go out before it is closed anyway.
    static constexpr double kCloseTimeout = 10;
    /// Wrong passwords one connection may send before it is closed.
    static constexpr int kMaxFailedPasswords = 3;
    /// Command lines handled in one turn of the loop before the connection lets the others go first.
    static constexpr int kCommandsPerTurn = 64;
    /// Bytes of further commands kept while a login waits; past this the client's socket is not read.
    static constexpr std::size_t kMaxHeldBytes = 64 * 1024;

    /// `settings`, `control`, `data`, `owner` and `loop` outlive the session; `connection` is how the owner knows
    /// it. Its timers (login, idle, transfer, a password's penalty) run on `loop` and read its clock.
    FtpSession(const FtpSettings& settings, FtpControlChannel& control, FtpDataChannel& data,
               FtpConnectionOwner& owner, FtpConnection* connection, RunLoop& loop);
    /// Withdraws its timers and gives back the memory its listing held; says nothing to anyone.
    virtual ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    /// The words of the commands this server knows, in the order the table is built.
    static std::vector<std::string> commandWords();

    /// The client at `peer` is connected: greets it, or turns it away (421) past the owner's limits.
    void start(const std::string& peer);
    /// Bytes the client sent on the control connection; the lines in them are handled now or, while held, later.
    void receive(std::string_view bytes);
    /// Replies written before have gone out.
    void repliesWritten();
    /// The control connection closed: tells the owner, which destroys the connection later.
    void ended();
    /// Writes one reply line (CR LF added).
    void sendMessage(const std::string& text);

    /// The client's address, as the control socket reports its peer.
    const std::string& connectionAddress() const { return peerAddress_; }
    /// Whether the client has sent QUIT (or the session is closing).
    bool hasQuit() const { return quitting_; }
    /// Whether the client was let in (greeted) rather than turned away by the owner's limits; false until then.
    bool isAdmitted() const { return admitted_; }
    /// Whether a password waits to be checked or answered.
    bool isLoginPending() const { return loginDelay_ != 0; }
    /// The current folder, relative to the base ("" for the base itself).
    const std::string& currentDir() const { return currentDir_; }

    // FtpDataEvents.
    void dataTransferSent() override;
    void dataReceived(std::uint64_t written) override;
    void dataConnectionClosed(std::optional<FtpDataConnection::Incoming> upload, bool failed, bool connected,
                              bool downloadPending) override;
    bool acceptsTlsSession(const std::string& context) const override;

private:
    using Handler = void (FtpSession::*)(const Words&);
    struct Command {
        const char* word;
        Handler handler;  // null: a word in the table without a handler, answered as unknown
    };
    static const std::vector<Command>& commandTable();
    /// Handles one command line without its line end (bytes as received).
    void processDataRead(std::string_view line);
    void processCommand(const Words& words);
    /// The owner's controls: whether `word` (lower case) may run now; answers the refusal itself when not.
    bool allowed(const std::string& word);
    /// Stops taking command lines while a login delay runs or the client does not read its replies, and takes
    /// them again when neither holds.
    void updateHold();
    /// Waits the idle time again from now (nothing when there is no idle limit).
    void restartIdleTimer();
    void idleTimeUp();
    /// Sends a last reply and closes the connection once it is out (or after `kCloseTimeout` regardless).
    void closeWithReply(const std::string& reply);
    /// Stops taking lines and closes once the replies are out.
    void closeAfterReplies();
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
    /// Tells the owner whose TLS sessions this connection's are (after AUTH TLS and at each login).
    void noteTlsSessionOwner();
    /// Who this client is logged in as, for sharing TLS sessions: "" for anyone when the server takes any login.
    std::optional<std::string> account() const;
    /// The owner's demand for TLS: whether `word` (a transfer or not) may run as things are; answers if not.
    bool tlsAllows(const std::string& word, bool transfer);
    // Data-port commands (FtpDataCommands.cpp).
    void doPasv(const Words& words);
    void doEpsv(const Words& words);
    void doPort(const Words& words);
    void doLprt(const Words& words);
    void doEprt(const Words& words);
    void doRest(const Words& words);
    void doAbor(const Words& words);
    /// After EPSV ALL: refuses the other data-port commands (answering), true when `words` is one.
    bool refusedAfterEpsvAll(const Words& words);

    const FtpPathResolver& paths() const { return settings_.paths; }
    /// The path (relative to the base) a client's name stands for, or nothing when ".." climbs above "/".
    /// A relative name gets nothing too while the current folder is no longer the one CWD entered. With
    /// `stayAtRoot` ".." at "/" stays there (CWD, as clients walking up expect).
    std::optional<std::string> filePath(const std::string& name, bool stayAtRoot = false) const;
    /// Finds a path from `filePath` beneath the base; nothing there (a name that climbed above "/") leads out.
    Result<FtpPathResolver::Entry> locate(const std::optional<std::string>& path, bool followLast) const;
    /// The device and inode of a folder beneath the base, or nothing.
    std::optional<std::pair<dev_t, ino_t>> folderIdentity(const std::string& path) const;
    bool changedCurrentDirectoryTo(const std::string& name);
    bool requireArgument(const std::string& value);
    /// STOR and APPE: receives the upload into the regular file named, from the REST offset or replacing it
    /// (STOR), or at its end (APPE).
    void storeFile(const Words& words, bool append);
    /// The status of the regular file a client names (SIZE, MDTM), or false when a refusal was sent.
    bool statRegularFile(const std::string& name, struct stat& st);
    /// Sends the listing of a folder, of the entries a wildcard matches, or of one file (LIST, NLST, MLSD), on the
    /// data connection or, `onControl`, as a 213 reply (STAT with a name).
    void sendListing(const Words& words, FtpListing::Style style, bool onControl = false);
    void sendStatusListing(const std::string& name, const std::string& listing);

    /// Opens the data port for `transferMode` (`port`: the client's, in the active modes) and replies.
    void openDataSocket(unsigned port);
    /// Hands a transfer to the data channel and watches it.
    void sendData(FtpDataConnection::Outgoing item);
    void receiveData(FtpDataConnection::Incoming file);
    /// Ends the transfer under way with `reply` (ABOR, a stalled transfer); an upload's new version is dropped.
    void endTransfer(const std::string& reply);
    /// Watches the transfer just announced for progress (nothing without a transfer time-out).
    void watchTransfer();
    void checkTransferProgress();
    /// Gives the server back the memory the listing being sent took from its budget.
    void releaseListingMemory();
    /// Tells the server's receiver of a file transfer starting (RETR, STOR, APPE).
    void startTransferReport(const std::string& name, bool upload, std::uint64_t total);
    /// Tells it that the transfer reported last is over, with `bytes` moved.
    void endTransferReport(std::uint64_t bytes);

    const FtpSettings& settings_;
    FtpControlChannel& control_;
    FtpDataChannel& data_;
    FtpConnectionOwner& owner_;
    FtpConnection* connection_;  // as the owner knows this session
    RunLoop& loop_;
    FtpLineSplitter lines_;
    std::uint16_t dataPort_ = 2001;
    int transferMode_ = pasvMode;
    bool epsvAll_ = false;  // EPSV ALL: no data-port command but EPSV from here on
    std::string peerAddress_;
    std::string currentUser_;
    std::string currentDir_;  // relative to the base; walked again on every use
    std::pair<dev_t, ino_t> currentDirId_{};  // the folder CWD entered
    std::string rnfrFilename_;
    long long restartOffset_ = 0;  // from REST, for the next RETR, STOR or APPE
    bool controlSecure_ = false;   // AUTH TLS was accepted
    bool protectData_ = false;     // PROT P: data connections are encrypted
    std::string tlsSessionContext_;  // this connection's own: data connections resume its TLS sessions only
    bool quitting_ = false;
    bool loggedIn_ = true;
    int failedPasswords_ = 0;
    bool admitted_ = false;
    bool repliesBackedUp_ = false;  // the client reads its replies too slowly: its commands wait
    std::uint64_t listingBytes_ = 0;  // of the server's memory budget, for the listing being sent
    RunLoop::Handle loginDelay_ = 0;  // a wrong password's answer, not yet given
    RunLoop::Handle idleTimer_ = 0;
    RunLoop::Handle loginTimer_ = 0;  // closes a client that does not log in in time
    RunLoop::Handle closeTimer_ = 0;  // closes a client whose last reply does not go out
    RunLoop::Handle transferTimer_ = 0;
    RunLoop::Handle yieldTurn_ = 0;  // the command lines left of this turn wait for the next one
    int commandsThisTurn_ = 0;
    FtpTransferProgress transferReport_;  // the file transfer under way; no name when none
    std::pair<std::uint64_t, std::uint64_t> transferProgress_{};
    RunLoop::Clock::time_point transferMovedAt_{};
};
