#include "ftp/FtpSession.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <unordered_map>

#include "ftp/FtpReplies.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Text.h"

FtpSession::FtpSession(const FtpSettings& settings, FtpControlChannel& control, FtpDataChannel& data,
                       FtpConnectionOwner& owner, FtpConnection* connection, RunLoop& loop)
    : settings_(settings),
      control_(control),
      data_(data),
      owner_(owner),
      connection_(connection),
      loop_(loop),
      lines_(
          kMaxLineLength, [this](std::string_view line) { processDataRead(line); },
          [this] { sendMessage("500 Command line too long."); }) {
    loggedIn_ = settings_.options.user.empty();
    NSLog("FC: Current Directory starting at %@", paths().baseDir());
}

FtpSession::~FtpSession() {
    for (RunLoop::Handle timer : {loginDelay_, idleTimer_, loginTimer_, closeTimer_, transferTimer_, yieldTurn_})
        loop_.cancel(timer);
    releaseListingMemory();
}

void FtpSession::start(const std::string& peer) {
    peerAddress_ = peer;
    if (!owner_.admits(connection_, connectionAddress())) {
        NSLog("FC: %@ refused: too many connections", connectionAddress());
        control_.writeReply("421 Too many connections, try later.\r\n");
        return closeAfterReplies();
    }
    admitted_ = true;
    control_.writeReply("220 Qelmot server ready.\r\n");
    restartIdleTimer();
    // Whatever a client sends meanwhile, it must log in in time or give its place to others.
    if (settings_.options.loginTimeout > 0)
        loginTimer_ = loop_.runAfter(settings_.options.loginTimeout, [this] {
            loginTimer_ = 0;
            closeWithReply("421 Login timeout.");
        });
}

void FtpSession::receive(std::string_view bytes) {
    if (!yieldTurn_) commandsThisTurn_ = 0;
    lines_.feed(bytes);
    if (lines_.isHeld()) updateHold();
}

void FtpSession::repliesWritten() {
    settings_.dataSent();
    if (repliesBackedUp_ && control_.unsentReplyBytes() <= settings_.options.maxUnsentReplyBytes / 2) {
        repliesBackedUp_ = false;
        updateHold();
    }
}

void FtpSession::ended() {
    releaseListingMemory();  // now: the owner may be gone by the time this connection is destroyed
    owner_.connectionDidEnd(connection_);
}

void FtpSession::sendMessage(const std::string& text) {
    NSLog(">%@", text);
    control_.writeReply(text + "\r\n");
    // A client that sends commands and never reads the replies must not grow the server's memory.
    if (!repliesBackedUp_ && control_.unsentReplyBytes() > settings_.options.maxUnsentReplyBytes) {
        repliesBackedUp_ = true;
        updateHold();
    }
}

void FtpSession::updateHold() {
    const bool hold = repliesBackedUp_ || loginDelay_ != 0 || yieldTurn_ != 0;
    if (hold && !lines_.isHeld()) lines_.hold();
    if (!hold && lines_.isHeld()) lines_.release();
    // A waiting login keeps reading (within a bound), so that a client who gives up is noticed and goes at once.
    control_.setReadingPaused(repliesBackedUp_ || yieldTurn_ != 0 ||
                              (loginDelay_ != 0 && lines_.heldBytes() > kMaxHeldBytes));
}

void FtpSession::restartIdleTimer() {
    if (settings_.options.idleTimeout <= 0 || quitting_) return;
    loop_.cancel(idleTimer_);
    idleTimer_ = loop_.runAfter(settings_.options.idleTimeout, [this] { idleTimeUp(); });
}

void FtpSession::idleTimeUp() {
    idleTimer_ = 0;
    // A long transfer keeps the control connection quiet: that is not idleness (a stalled one has its own limit).
    if (data_.isBusy()) return restartIdleTimer();
    closeWithReply("421 Timeout.");
}

void FtpSession::closeAfterReplies() {
    quitting_ = true;
    lines_.stop();
    control_.closeAfterReplies();
}

void FtpSession::closeWithReply(const std::string& reply) {
    if (quitting_) return;
    sendMessage(reply);
    for (RunLoop::Handle* timer : {&loginDelay_, &idleTimer_, &loginTimer_})
        loop_.cancel(std::exchange(*timer, 0));
    closeAfterReplies();
    // A client that does not read either would keep the connection open while the reply waits: not for long.
    closeTimer_ = loop_.runAfter(kCloseTimeout, [this] {
        closeTimer_ = 0;
        control_.closeNow();
        ended();
    });
}

// --- Dispatch.

const std::vector<FtpSession::Command>& FtpSession::commandTable() {
    // In the order the table is built. ACK is in the table without a handler, so it is answered as an unknown
    // command.
    static const std::vector<Command> kTable = {
        {"rnto", &FtpSession::doRnto}, {"lprt", &FtpSession::doLprt}, {"cdup", &FtpSession::doCdUp},
        {"pass", &FtpSession::doPass}, {"epsv", &FtpSession::doEpsv}, {"quit", &FtpSession::doQuit},
        {"type", &FtpSession::doType}, {"syst", &FtpSession::doSyst}, {"noop", &FtpSession::doNoop},
        {"cwd", &FtpSession::doCwd},   {"feat", &FtpSession::doFeat}, {"port", &FtpSession::doPort},
        {"opts", &FtpSession::doOpts}, {"list", &FtpSession::doList}, {"ack", nullptr},
        {"stat", &FtpSession::doStat}, {"user", &FtpSession::doUser}, {"pasv", &FtpSession::doPasv},
        {"stor", &FtpSession::doStor}, {"dele", &FtpSession::doDele}, {"size", &FtpSession::doSize},
        {"pwd", &FtpSession::doPwd},   {"rmd", &FtpSession::doRmd},   {"nlst", &FtpSession::doNlst},
        {"rnfr", &FtpSession::doRnfr}, {"retr", &FtpSession::doRetr}, {"mlst", &FtpSession::doMlst},
        {"eprt", &FtpSession::doEprt}, {"mkd", &FtpSession::doMkdir}, {"rest", &FtpSession::doRest},
        {"appe", &FtpSession::doAppe}, {"mdtm", &FtpSession::doMdtm}, {"mlsd", &FtpSession::doMlsd},
        {"abor", &FtpSession::doAbor}, {"mode", &FtpSession::doMode}, {"stru", &FtpSession::doStru},
        {"allo", &FtpSession::doAllo}, {"help", &FtpSession::doHelp}, {"xpwd", &FtpSession::doPwd},
        {"xcwd", &FtpSession::doCwd},  {"xcup", &FtpSession::doCdUp}, {"xmkd", &FtpSession::doMkdir},
        {"xrmd", &FtpSession::doRmd},  {"mfmt", &FtpSession::doMfmt}, {"site", &FtpSession::doSite},
    };
    return kTable;
}

std::vector<std::string> FtpSession::commandWords() {
    std::vector<std::string> words;
    for (const auto& c : commandTable()) words.emplace_back(c.word);
    return words;
}

void FtpSession::processDataRead(std::string_view received) {
    // A client that pipelines thousands of commands in one read gets a share of the loop, not all of it: the rest
    // waits for the next turn, after the other clients.
    if (++commandsThisTurn_ == kCommandsPerTurn) {
        yieldTurn_ = loop_.defer([this] {
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
    // The log shows that a password came, never the password.
    const std::string word = text::lowercased(text.substr(0, text.find(' ')));
    NSLog("<%@", word == "pass" ? std::string("PASS ****") : text);
    processCommand(FtpCommandLine::split(text, ' '));
}

void FtpSession::processCommand(const Words& words) {
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
    if (handler == &FtpSession::doRnto) rnfrFilename_ = std::move(renameFrom);
    (this->*handler)(words);
}

bool FtpSession::requireArgument(const std::string& value) {
    if (!value.empty()) return true;
    sendMessage(FtpReplies::kMissingArgument);
    return false;
}

std::optional<std::string> FtpSession::filePath(const std::string& name, bool stayAtRoot) const {
    // A current folder renamed or removed by someone else is gone for this session: a new folder made later under
    // its old name is not where the client meant to list or upload.
    if ((name.empty() || name[0] != '/') && !currentDir_.empty() && folderIdentity(currentDir_) != currentDirId_)
        return std::nullopt;
    return FtpPathResolver::join(currentDir_, name, stayAtRoot);
}

Result<FtpPathResolver::Entry> FtpSession::locate(const std::optional<std::string>& path, bool followLast) const {
    if (!path) return systemError(EXDEV);
    return paths().locate(*path, followLast);
}

std::optional<std::pair<dev_t, ino_t>> FtpSession::folderIdentity(const std::string& path) const {
    auto entry = paths().locate(path, true);
    struct stat st {};
    if (!entry || !entry->exists ||
        ::fstatat(entry->folder.get(), entry->name.empty() ? "." : entry->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
        return std::nullopt;
    return std::pair{st.st_dev, st.st_ino};
}

bool FtpSession::changedCurrentDirectoryTo(const std::string& name) {
    auto rooted = filePath(name, true);
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
