#include "ftp/FtpConnection.h"
#include "ftp/FtpReplies.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <unordered_map>

#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Text.h"

FtpConnection::FtpConnection(std::shared_ptr<AsyncSocket> socket, const FtpSettings& settings,
                             FtpConnectionOwner& owner)
    : connectionSocket_(std::move(socket)),
      settings_(settings),
      owner_(owner),
      lines_(
          kMaxLineLength, [this](std::string_view line) { processDataRead(line); },
          [this] { sendMessage("500 Command line too long."); }) {
    connectionSocket_->setDelegate(this);
    // The greeting waits for onSocketDidConnectToHostPort: only then is the client's address known, and a
    // client past the owner's limits hears 421 instead.
    // One read without time-out stays current for the life of the connection and delivers every piece.
    connectionSocket_->readDataToDataWithTimeoutTag(AsyncSocket::CRLFData(), -1, 0);
    loggedIn_ = settings_.options.user.empty();
    NSLog("FC: Current Directory starting at %@", paths().baseDir());
}

FtpConnection::~FtpConnection() {
    for (RunLoop::Handle timer : {loginDelay_, idleTimer_, loginTimer_, closeTimer_, transferTimer_, yieldTurn_})
        RunLoop::main().cancel(timer);
    releaseListingMemory();
    closeSocket(connectionSocket_);
    closeAcceptedDataSockets();
    closeSocket(dataListeningSocket_);
    dataConnection_.reset();
    closeSocket(dataSocket_);
}

void FtpConnection::ended() {
    releaseListingMemory();  // now: the owner may be gone by the time this connection is destroyed
    owner_.connectionDidEnd(this);
}

void FtpConnection::closeSocket(std::shared_ptr<AsyncSocket>& socket) {
    if (!socket) return;
    socket->setDelegate(nullptr);
    socket->disconnect();
    socket.reset();
}

void FtpConnection::sendMessage(const std::string& text) {
    NSLog(">%@", text);
    writeReply(text + "\r\n");
    // A client that sends commands and never reads the replies must not grow the server's memory.
    if (!repliesBackedUp_ && unsentReplyCost() > settings_.options.maxUnsentReplyBytes) {
        repliesBackedUp_ = true;
        updateHold();
    }
}

void FtpConnection::writeReply(std::string line) {
    // Replies made while one is on its way wait together in one buffer: a write request per line would cost some
    // 250 bytes of bookkeeping each, many times a short line, and a flood of them would outgrow any bound on bytes.
    if (replyInFlight_) {
        outbox_ += line;
        return;
    }
    replyInFlight_ = true;
    connectionSocket_->writeDataWithTimeoutTag(std::move(line), -1, 0);
}

void FtpConnection::closeAfterReplies() {
    if (!outbox_.empty()) connectionSocket_->writeDataWithTimeoutTag(std::exchange(outbox_, {}), -1, 0);
    connectionSocket_->disconnectAfterWriting();
}

std::uint64_t FtpConnection::unsentReplyCost() const { return connectionSocket_->unsentByteCount() + outbox_.size(); }

void FtpConnection::updateHold() {
    const bool hold = repliesBackedUp_ || loginDelay_ != 0 || yieldTurn_ != 0;
    if (hold && !lines_.isHeld()) lines_.hold();
    if (!hold && lines_.isHeld()) lines_.release();
    // A waiting login keeps reading (within a bound), so that a client who gives up is noticed and goes at once.
    const bool pause = repliesBackedUp_ || yieldTurn_ != 0 || (loginDelay_ != 0 && lines_.heldBytes() > kMaxHeldBytes);
    if (pause && !connectionSocket_->isReadingPaused()) connectionSocket_->pauseReading();
    if (!pause && connectionSocket_->isReadingPaused()) connectionSocket_->resumeReading();
}

void FtpConnection::restartIdleTimer() {
    if (settings_.options.idleTimeout <= 0 || quitting_) return;
    RunLoop::main().cancel(idleTimer_);
    idleTimer_ = RunLoop::main().runAfter(settings_.options.idleTimeout, [this] { idleTimeUp(); });
}

void FtpConnection::idleTimeUp() {
    idleTimer_ = 0;
    // A long transfer keeps the control connection quiet: that is not idleness (a stalled one has its own limit).
    if (transferBusy()) return restartIdleTimer();
    closeWithReply("421 Timeout.");
}

void FtpConnection::closeWithReply(const std::string& reply) {
    if (quitting_) return;
    sendMessage(reply);
    quitting_ = true;
    lines_.stop();
    for (RunLoop::Handle* timer : {&loginDelay_, &idleTimer_, &loginTimer_})
        RunLoop::main().cancel(std::exchange(*timer, 0));
    closeAfterReplies();
    // A client that does not read either would keep the connection open while the reply waits: not for long.
    closeTimer_ = RunLoop::main().runAfter(kCloseTimeout, [this] {
        closeTimer_ = 0;
        connectionSocket_->setDelegate(nullptr);
        connectionSocket_->disconnect();
        ended();
    });
}

// --- Socket events.

bool FtpConnection::onSocketWillConnect(AsyncSocket* sock) {
    if (isAcceptedDataSocket(sock)) return true;  // judged once connected
    logLine("FC:onSocketWillConnect");
    sock->readDataWithTimeoutTag(-1, 0);
    return true;
}

void FtpConnection::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    if (isAcceptedDataSocket(sock)) return takeAcceptedDataSocket(sock);
    if (sock != connectionSocket_.get()) return;
    // Replies are small and often come in pairs (150 then 226, the two 221 lines): without this each second one
    // waits for the client's delayed acknowledgement of the first, some 40 ms per exchange.
    // ABOR is sent as urgent data by many clients: keep it in the stream of command lines.
    int one = 1;
    if (int fd = sock->getCFSocket(); fd >= 0) {
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(fd, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one);
    }
    peerAddress_ = connectionSocket_->connectedHost();
    if (!owner_.admits(this, connectionAddress())) {
        NSLog("FC: %@ refused: too many connections", connectionAddress());
        quitting_ = true;
        lines_.stop();
        writeReply("421 Too many connections, try later.\r\n");
        closeAfterReplies();
        return;
    }
    admitted_ = true;
    writeReply("220 Qelmot server ready.\r\n");
    restartIdleTimer();
    // Whatever a client sends meanwhile, it must log in in time or give its place to others.
    if (settings_.options.loginTimeout > 0)
        loginTimer_ = RunLoop::main().runAfter(settings_.options.loginTimeout, [this] {
            loginTimer_ = 0;
            closeWithReply("421 Login timeout.");
        });
}

void FtpConnection::onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t) {
    if (sock != connectionSocket_.get()) return;
    if (!yieldTurn_) commandsThisTurn_ = 0;
    lines_.feed(data);
    if (lines_.isHeld()) updateHold();
}

void FtpConnection::onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t) {
    if (sock != connectionSocket_.get()) return;
    settings_.dataSent();
    replyInFlight_ = false;
    if (!outbox_.empty()) writeReply(std::exchange(outbox_, {}));
    if (repliesBackedUp_ && unsentReplyCost() <= settings_.options.maxUnsentReplyBytes / 2) {
        repliesBackedUp_ = false;
        updateHold();
    }
}

void FtpConnection::onSocketDidDisconnect(AsyncSocket* sock) {
    // The control socket closed: after QUIT once the replies are out, or because the client went away. Either
    // way the session is over; the owner destroys this connection (and with it the data side and the file).
    if (sock == connectionSocket_.get()) ended();
}

// --- Dispatch.

const std::vector<FtpConnection::Command>& FtpConnection::commandTable() {
    // In the order the table is built. ACK is in the table without a handler, so it is answered as an unknown
    // command.
    static const std::vector<Command> kTable = {
        {"rnto", &FtpConnection::doRnto}, {"lprt", &FtpConnection::doLprt}, {"cdup", &FtpConnection::doCdUp},
        {"pass", &FtpConnection::doPass}, {"epsv", &FtpConnection::doEpsv}, {"quit", &FtpConnection::doQuit},
        {"type", &FtpConnection::doType}, {"syst", &FtpConnection::doSyst}, {"noop", &FtpConnection::doNoop},
        {"cwd", &FtpConnection::doCwd},   {"feat", &FtpConnection::doFeat}, {"port", &FtpConnection::doPort},
        {"opts", &FtpConnection::doOpts}, {"list", &FtpConnection::doList}, {"ack", nullptr},
        {"stat", &FtpConnection::doStat}, {"user", &FtpConnection::doUser}, {"pasv", &FtpConnection::doPasv},
        {"stor", &FtpConnection::doStor}, {"dele", &FtpConnection::doDele}, {"size", &FtpConnection::doSize},
        {"pwd", &FtpConnection::doPwd},   {"rmd", &FtpConnection::doRmd},   {"nlst", &FtpConnection::doNlst},
        {"rnfr", &FtpConnection::doRnfr}, {"retr", &FtpConnection::doRetr}, {"mlst", &FtpConnection::doMlst},
        {"eprt", &FtpConnection::doEprt}, {"mkd", &FtpConnection::doMkdir}, {"rest", &FtpConnection::doRest},
        {"appe", &FtpConnection::doAppe}, {"mdtm", &FtpConnection::doMdtm}, {"mlsd", &FtpConnection::doMlsd},
        {"abor", &FtpConnection::doAbor}, {"mode", &FtpConnection::doMode}, {"stru", &FtpConnection::doStru},
        {"allo", &FtpConnection::doAllo}, {"help", &FtpConnection::doHelp}, {"xpwd", &FtpConnection::doPwd},
        {"xcwd", &FtpConnection::doCwd},  {"xcup", &FtpConnection::doCdUp}, {"xmkd", &FtpConnection::doMkdir},
        {"xrmd", &FtpConnection::doRmd},  {"mfmt", &FtpConnection::doMfmt}, {"site", &FtpConnection::doSite},
    };
    return kTable;
}

std::vector<std::string> FtpConnection::commandWords() {
    std::vector<std::string> words;
    for (const auto& c : commandTable()) words.emplace_back(c.word);
    return words;
}

void FtpConnection::processDataRead(std::string_view received) {
    // A client that pipelines thousands of commands in one read gets a share of the loop, not all of it: the rest
    // waits for the next turn, after the other clients.
    if (++commandsThisTurn_ == kCommandsPerTurn) {
        yieldTurn_ = RunLoop::main().defer([this] {
            yieldTurn_ = 0;
            commandsThisTurn_ = 0;
            updateHold();
        });
        updateHold();
    }
    settings_.dataReceived();
    logLine("FC:didReadData");
    const std::string bytes = FtpCommandLine::withoutTelnetCommands(received);
    switch (FtpCommandLine::problemWith(bytes)) {
        case FtpCommandLine::Problem::notUtf8:
            return sendMessage("500 Command line is not valid UTF-8.");
        case FtpCommandLine::Problem::carriageReturn:
            return sendMessage(FtpReplies::kMissingArgument);
        case FtpCommandLine::Problem::none:
            break;
    }
    std::string text = FtpCommandLine::trimNewlines(bytes);
    // Blanks before the command word are skipped: a line left unanswered puts a pipelining client out of step.
    text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
    NSLog("<%@", text);
    processCommand(FtpCommandLine::split(text, ' '));
}

void FtpConnection::processCommand(const Words& words) {
    const std::string& word = words.at(0);
    static const std::unordered_map<std::string, const Command*> kByWord = [] {
        std::unordered_map<std::string, const Command*> map;
        for (const auto& c : commandTable()) map.emplace(c.word, &c);
        return map;
    }();
    const std::string lower = text::lowercased(word);
    auto it = kByWord.find(lower);
    // The TLS commands are known only where the owner offers TLS.
    const Command* command = it != kByWord.end() ? it->second : settings_.options.tls ? tlsCommand(lower) : nullptr;
    if (!command || !command->handler) {
        sendMessage(format("500 '%@': command not understood.", word));
        if (command) logLine("DONT UNDERSTAND");
        return;
    }
    restartIdleTimer();
    if (!allowed(lower)) return;
    // The name given by RNFR is good for the command right after it only. The offset given by REST holds until
    // the next RETR, STOR or APPE takes it, whatever comes between (clients send PASV or TYPE after REST).
    const Handler handler = command->handler;
    std::string renameFrom = std::exchange(rnfrFilename_, std::string());
    if (handler == &FtpConnection::doRnto) rnfrFilename_ = std::move(renameFrom);
    (this->*handler)(words);
}

bool FtpConnection::requireArgument(const std::string& value) {
    if (!value.empty()) return true;
    sendMessage(FtpReplies::kMissingArgument);
    return false;
}

std::optional<std::string> FtpConnection::filePath(const std::string& name) const {
    // A current folder renamed or removed by someone else is gone for this session: a new folder made later under
    // its old name is not where the client meant to list or upload.
    if ((name.empty() || name[0] != '/') && !currentDir_.empty() && folderIdentity(currentDir_) != currentDirId_)
        return std::nullopt;
    return FtpPathResolver::join(currentDir_, name);
}

std::optional<std::pair<dev_t, ino_t>> FtpConnection::folderIdentity(const std::string& path) const {
    auto entry = paths().locate(path, true);
    struct stat st {};
    if (!entry || !entry->exists ||
        ::fstatat(entry->folder.get(), entry->name.empty() ? "." : entry->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
        return std::nullopt;
    return std::pair{st.st_dev, st.st_ino};
}

bool FtpConnection::changedCurrentDirectoryTo(const std::string& name) {
    auto rooted = filePath(name);
    NSLog("currentDirectory: %@", paths().absolutePath(currentDir_));
    NSLog("newDirectory: %@", name);
    NSLog("expandedPath: %@", rooted ? paths().absolutePath(*rooted) : std::string());
    if (!rooted) return false;
    auto canonical = paths().enterableDirectory(*rooted);
    // PWD shows this path: a CR or LF in it (through a link) would forge a reply line.
    if (!canonical || canonical->find_first_of("\r\n") != std::string::npos) return false;
    auto identity = folderIdentity(*canonical);
    if (!identity) return false;
    currentDir_ = *canonical;
    currentDirId_ = *identity;
    return true;
}
