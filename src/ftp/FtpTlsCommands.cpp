#include <atomic>
#include <unordered_set>

#include "ftp/FtpSession.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Text.h"

// Explicit TLS on a control connection (AUTH TLS, PBSZ, PROT, CCC) and the owner's demand for it. These commands
// exist only where the owner offers TLS.

const FtpSession::Command* FtpSession::tlsCommand(const std::string& word) {
    static const Command kCommands[] = {{"auth", &FtpSession::doAuth},
                                        {"pbsz", &FtpSession::doPbsz},
                                        {"prot", &FtpSession::doProt},
                                        {"ccc", &FtpSession::doCcc}};
    for (const Command& c : kCommands)
        if (word == c.word) return &c;
    return nullptr;
}

bool FtpSession::tlsAllows(const std::string& word, bool transfer) {
    if (!settings_.options.tls || !settings_.options.requireTls) return true;
    if (!controlSecure_ && (word == "user" || word == "pass")) {
        sendMessage("530 Send AUTH TLS first: this server logs in over TLS only.");
        return false;
    }
    // Without an account nothing else guards the files: in clear a client may only start TLS or ask about it
    // (PBSZ and PROT answer for themselves that TLS comes first).
    static const std::unordered_set<std::string> kInClear = {"auth", "feat", "help", "noop", "quit", "syst",
                                                             "pbsz", "prot"};
    if (!controlSecure_ && !kInClear.count(word)) {
        sendMessage("530 Send AUTH TLS first: this server takes commands over TLS only.");
        return false;
    }
    if (transfer && !protectData_) {
        sendMessage("521 Data connections must be encrypted: send PROT P.");
        return false;
    }
    return true;
}

void FtpSession::doAuth(const Words& words) {
    const std::string mechanism = words.size() > 1 ? text::lowercased(words[1]) : std::string();
    if (controlSecure_) return sendMessage("503 TLS is already on.");
    // SSL and TLS-P are older clients' names that also protect the data connections.
    static const std::unordered_set<std::string> kMechanisms = {"tls", "tls-c", "ssl", "tls-p"};
    if (!kMechanisms.count(mechanism)) return sendMessage("504 Use AUTH TLS.");
    sendMessage("234 AUTH TLS successful.");
    // The reply goes out in clear before the handshake; whatever the client sent after AUTH came in clear too and
    // could have been slipped in by someone on the way, so it is dropped rather than run under TLS.
    lines_.discardPending();
    controlSecure_ = true;
    protectData_ = mechanism == "ssl" || mechanism == "tls-p";
    static std::atomic<unsigned long> contexts{0};
    tlsSessionContext_ = format("ftp-%lu", ++contexts);
    control_.startTls(tlsSessionContext_);
    data_.setProtection(protectData_ ? std::optional(tlsSessionContext_) : std::nullopt);
    // A login made in clear does not carry over: the client logs in again under TLS.
    if (!settings_.options.user.empty()) loggedIn_ = false;
    noteTlsSessionOwner();
}

std::optional<std::string> FtpSession::account() const {
    if (!loggedIn_) return std::nullopt;
    return settings_.options.user.empty() ? std::string() : currentUser_;
}

void FtpSession::noteTlsSessionOwner() {
    if (controlSecure_) owner_.tlsSessionsIssued(tlsSessionContext_, connectionAddress(), account());
}

bool FtpSession::acceptsTlsSession(const std::string& context) const {
    // Another control connection's session: of this same client (address and login), or a stranger's.
    return owner_.acceptsTlsSession(context, connectionAddress(), account());
}

void FtpSession::doPbsz(const Words&) {
    if (!controlSecure_) return sendMessage("503 Send AUTH TLS first.");
    sendMessage("200 PBSZ=0");  // TLS needs no protection buffer
}

void FtpSession::doProt(const Words& words) {
    if (!controlSecure_) return sendMessage("503 Send AUTH TLS first.");
    const std::string level = words.size() > 1 ? text::lowercased(words[1]) : std::string();
    if (level == "p" || level == "c") {
        protectData_ = level == "p";
        data_.setProtection(protectData_ ? std::optional(tlsSessionContext_) : std::nullopt);
        return sendMessage(format("200 Protection level set to %@.", protectData_ ? "P" : "C"));
    }
    sendMessage(level == "s" || level == "e" ? "536 Only levels C and P are offered." : "504 Use PROT P or PROT C.");
}

void FtpSession::doCcc(const Words&) { sendMessage("534 The control connection stays encrypted."); }
