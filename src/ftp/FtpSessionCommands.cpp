#include <unordered_set>

#include "ftp/FtpSession.h"
#include "ftp/FtpReplies.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/Text.h"

// The session commands of a control connection (login, status, current folder, QUIT) and the owner's controls
// that decide which commands may run.

namespace {

// Every byte is compared whatever the guess, so the time of a refusal tells nothing about the password.
bool samePassword(const std::string& given, const std::string& expected) {
    unsigned char diff = given.size() != expected.size();
    for (size_t i = 0; i < given.size(); ++i)
        diff |= static_cast<unsigned char>(given[i] ^ (i < expected.size() ? expected[i] : 0));
    return diff == 0;
}

}  // namespace

bool FtpSession::allowed(const std::string& word) {
    static const std::unordered_set<std::string> kBeforeLogin = {"user", "pass", "quit", "feat", "syst", "noop", "opts",
                                                                 "auth", "pbsz", "prot", "ccc"};
    static const std::unordered_set<std::string> kWrites = {"stor", "appe", "dele", "rmd",  "mkd",  "rnfr",
                                                            "rnto", "xmkd", "xrmd", "mfmt", "site"};
    static const std::unordered_set<std::string> kTransfers = {"retr", "stor", "appe", "list", "nlst", "mlsd"};
    if (!tlsAllows(word, kTransfers.count(word) > 0)) return false;
    if (!loggedIn_ && !kBeforeLogin.count(word)) {
        sendMessage("530 Please login with USER and PASS.");
        return false;
    }
    if (settings_.options.readOnly && kWrites.count(word)) {
        sendMessage("550 Permission denied.");
        return false;
    }
    // One transfer at a time: a client that queues thousands would hold a descriptor and a buffer for each.
    if (kTransfers.count(word) && data_.isBusy()) {
        sendMessage("450 Another transfer is in progress.");
        return false;
    }
    return true;
}

void FtpSession::doUser(const Words& words) {
    if (words.size() < 2 || words[1].empty()) return sendMessage(FtpReplies::kMissingArgument);
    currentUser_ = words[1];
    if (!settings_.options.user.empty()) loggedIn_ = false;  // a new USER starts a new login
    sendMessage(format("331 Password required for %@", currentUser_));
}

void FtpSession::doPass(const Words& words) {
    if (settings_.options.user.empty()) {
        loop_.cancel(std::exchange(loginTimer_, 0));
        return sendMessage(format("230 User %@ logged in.", currentUser_.empty() ? "anonymous" : currentUser_));
    }
    // A guesser would open many connections at once, each waiting out the penalty: only a few may wait.
    if (!owner_.admitsLogin(connection_, connectionAddress())) return closeWithReply("421 Too many logins at once.");
    std::string password;  // everything after "PASS ", blanks and leading hyphens included
    for (size_t i = 1; i < words.size(); ++i) password += (i > 1 ? " " : "") + words[i];
    // The address's penalty for earlier failures passes before the password is looked at, the right one too:
    // a guess is slow, not only a wrong answer. The client's further commands wait with it.
    const double wait = owner_.loginWait(connectionAddress());
    if (wait < 0) return closeWithReply("421 Too many logins at once.");
    loginDelay_ = loop_.runAfter(wait, [this, password] {
        loginDelay_ = 0;
        checkPassword(password);
    });
    updateHold();
}

void FtpSession::checkPassword(const std::string& password) {
    const FtpOptions& options = settings_.options;
    if (currentUser_ == options.user && samePassword(password, options.password)) {
        owner_.loginSucceeded(connectionAddress());
        loggedIn_ = true;
        loop_.cancel(std::exchange(loginTimer_, 0));
        noteTlsSessionOwner();
        sendMessage(format("230 User %@ logged in.", currentUser_));
        return updateHold();
    }
    // The answer waits too, longer with every failure from that address.
    const double delay = owner_.loginFailed(connectionAddress());
    NSLog("FC: login of %@ from %@ refused", currentUser_, connectionAddress());
    loginDelay_ = loop_.runAfter(delay, [this] {
        loginDelay_ = 0;
        sendMessage("530 Login incorrect.");
        if (++failedPasswords_ >= kMaxFailedPasswords) return closeWithReply("421 Too many failed logins.");
        updateHold();
    });
    updateHold();
}

void FtpSession::doStat(const Words& words) {
    // With a name: its listing over the control connection, for clients that list without a data connection.
    if (!FtpCommandLine::fileNameFromArgs(words).empty())
        return sendListing(words, FtpListing::Style::longLines, true);
    sendMessage("211-localhost FTP server status:");
    sendMessage("211 End of Status");
}

void FtpSession::doFeat(const Words&) {
    sendMessage("211-Features supported");
    if (settings_.clientEncoding == FtpSettings::kUTF8Encoding) sendMessage(" UTF8");
    for (const char* feature :
         {" SIZE", " MDTM", " MFMT", " REST STREAM", " MLST type*;size*;modify*;perm*;", " EPSV", " EPRT"})
        sendMessage(feature);
    if (settings_.options.tls)
        for (const char* feature : {" AUTH TLS", " PBSZ", " PROT"}) sendMessage(feature);
    sendMessage("211 End");
}

void FtpSession::doSyst(const Words&) { sendMessage("215 UNIX Type: L8 Version: Qelmot 20080912"); }

void FtpSession::doNoop(const Words&) { sendMessage("200 NOOP command successful."); }

void FtpSession::doType(const Words& words) {
    if (words.size() < 2 || words[1].empty()) return sendMessage(FtpReplies::kMissingArgument);
    // ASCII (any form), image and local bytes of 8 bits are all sent as the bytes on disk; EBCDIC is not.
    const std::string type = text::lowercased(words[1]);
    const std::string form = words.size() > 2 ? text::lowercased(words[2]) : "";
    const bool known = (type == "a" && (words.size() == 2 || form == "n")) || (type == "i" && words.size() == 2) ||
                       (type == "l" && form == "8");
    if (!known) return sendMessage("504 Command not implemented for that parameter.");
    sendMessage(format("200 Type set to  %@.", words[1]));
}

void FtpSession::doMode(const Words& words) {
    if (words.size() < 2 || words[1].empty()) return sendMessage(FtpReplies::kMissingArgument);
    if (text::lowercased(words[1]) != "s") return sendMessage("504 Command not implemented for that parameter.");
    sendMessage("200 Mode set to S.");
}

void FtpSession::doStru(const Words& words) {
    if (words.size() < 2 || words[1].empty()) return sendMessage(FtpReplies::kMissingArgument);
    if (text::lowercased(words[1]) != "f") return sendMessage("504 Command not implemented for that parameter.");
    sendMessage("200 Structure set to F.");
}

void FtpSession::doAllo(const Words&) { sendMessage("202 ALLO command ignored."); }

void FtpSession::doHelp(const Words&) {
    sendMessage("214-The following commands are recognized:");
    std::string line;
    for (const auto& word : commandWords()) {
        if (word == "ack") continue;  // in the table, but answered as unknown
        line += " ";
        for (char c : word) line += static_cast<char>(c - 'a' + 'A');
        if (line.size() > 60) sendMessage(std::exchange(line, std::string()));
    }
    if (!line.empty()) sendMessage(line);
    sendMessage("214 Help OK.");
}

void FtpSession::doOpts(const Words& words) {
    // Names and listings are always UTF-8: clients that ask for it (as FEAT invites) are told so.
    const std::string option = words.size() > 1 ? words[1] : std::string();
    const std::string value = words.size() > 2 ? text::lowercased(words[2]) : std::string();
    if (text::lowercased(option) == "utf8" && (value.empty() || value == "on") && words.size() <= 3)
        return sendMessage("200 UTF8 mode enabled.");
    // The facts MLSD and MLST give are always the same four; a client choosing them is told so.
    if (text::lowercased(option) == "mlst") return sendMessage("200 MLST OPTS type;size;modify;perm;");
    sendMessage(format("502 Unknown command '%@'", option));
}

void FtpSession::doPwd(const Words&) {
    std::string visible = FtpPathResolver::visiblePath(currentDir_);
    NSLog("Will PWD %@ ", visible);
    sendMessage(format("257 \"%@\" is the current directory.", visible));
}

void FtpSession::doCwd(const Words& words) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    NSLog("DoCwd arguments is %@", FtpCommandLine::joinWords(words));
    NSLog("CWD: %@", name);
    if (!requireArgument(name)) return;
    sendMessage(changedCurrentDirectoryTo(name) ? "250 CWD command successful." : "550 CWD failed.");
    NSLog("currentDir is now %@", paths().absolutePath(currentDir_));
}

void FtpSession::doCdUp(const Words&) {
    std::string visible = FtpPathResolver::visiblePath(currentDir_);
    NSLog("CurrentDir is %@", visible);
    bool ok = changedCurrentDirectoryTo(FtpPathResolver::deletingLastPathComponent(visible));
    sendMessage(ok ? "250 CDUP command successful." : "550 CDUP command failed.");
}

void FtpSession::doQuit(const Words& words) {
    NSLog("Quit : %@", FtpCommandLine::joinWords(words));
    sendMessage("221- Data traffic for this session was 0 bytes in 0 files");
    sendMessage("221 Thank you for using the FTP service on localhost.");
    // Lines after QUIT are not handled; the socket closes once both replies are written, and then the owner
    // destroys this connection (onSocketDidDisconnect).
    closeAfterReplies();
    owner_.connectionDidQuit(connection_);
}
