#include "ftp/FtpConnection.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>

#include "ftp/FtpListing.h"
#include "ftp/FtpServer.h"
#include "platform/Log.h"

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::vector<std::string> splitAt(const std::string& text, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t at = text.find(sep, start);
        out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        unsigned cp = len == 1 ? c : c & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// The newline characters trimmed from both ends of a command line: U+000A..U+000D, U+0085, U+2028, U+2029.
size_t newlineAt(std::string_view s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x0A && c <= 0x0D) return 1;
    if (s.compare(i, 2, "\xC2\x85") == 0) return 2;
    if (s.compare(i, 3, "\xE2\x80\xA8") == 0 || s.compare(i, 3, "\xE2\x80\xA9") == 0) return 3;
    return 0;
}

std::string trimNewlines(std::string_view s) {
    size_t n;
    while (!s.empty() && (n = newlineAt(s, 0)) > 0) s.remove_prefix(n);
    while (!s.empty()) {
        size_t cut = 0;
        for (size_t len : {1, 2, 3})
            if (s.size() >= len && newlineAt(s, s.size() - len) == len) cut = len;
        if (!cut) break;
        s.remove_suffix(cut);
    }
    return std::string(s);
}

std::string joinWords(const std::vector<std::string>& words) {
    std::string out = "(";
    for (size_t i = 0; i < words.size(); ++i) out += (i ? ", " : "") + words[i];
    return out + ")";
}

// A field of PORT or LPRT: one byte in decimal digits; -1 for anything else (signs, blanks, overflow).
int byteField(const std::string& text) {
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : -1;
}

// A data port a client may name: decimal digits, 1024 to 65535 (never a privileged service port); 0 otherwise.
unsigned portField(const std::string& text) {
    if (text.empty() || text.size() > 5) return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 1024 && value <= 65535 ? value : 0;
}

// "::ffff:10.0.0.1" and "10.0.0.1" are the same peer.
std::string plainAddress(std::string host) {
    if (host.rfind("::ffff:", 0) == 0 && host.find('.') != std::string::npos) host.erase(0, 7);
    return host;
}

const char* const kNoDataConnection = "425 Can't open data connection.";
const char* const kAborted = "426 Connection closed; transfer aborted.";
const char* const kMissingArgument = "501 Syntax error in parameters or arguments.";

}  // namespace

FtpConnection::FtpConnection(std::shared_ptr<AsyncSocket> socket, FtpServer* server)
    : connectionSocket_(std::move(socket)),
      server_(server),
      lines_(
          kMaxLineLength, [this](std::string_view line) { processDataRead(line); },
          [this] { sendMessage("500 Command line too long."); }) {
    connectionSocket_->setDelegate(this);
    connectionSocket_->writeDataWithTimeoutTag(std::string("220 Qelmot server ready.\r\n"), -1, 0);
    // One read without time-out stays current for the life of the connection and delivers every piece.
    connectionSocket_->readDataToDataWithTimeoutTag(AsyncSocket::CRLFData(), -1, 0);
    NSLog("FC: Current Directory starting at %@", server_->baseDir());
}

FtpConnection::~FtpConnection() {
    closeSocket(connectionSocket_);
    closeSocket(acceptedDataSocket_);
    closeSocket(dataListeningSocket_);
    dataConnection_.reset();
    closeSocket(dataSocket_);
    retiredDataConnections_.clear();
    if (destroyRetired_) RunLoop::main().cancel(destroyRetired_);
    closeCurrentFile();
}

void FtpConnection::closeSocket(std::shared_ptr<AsyncSocket>& socket) {
    if (!socket) return;
    socket->setDelegate(nullptr);
    socket->disconnect();
    socket.reset();
}

std::string FtpConnection::connectionAddress() const { return connectionSocket_->connectedHost(); }

void FtpConnection::sendMessage(const std::string& text) {
    NSLog(">%@", text);
    connectionSocket_->writeDataWithTimeoutTag(text + "\r\n", -1, 0);
}

// --- Reading and dispatch.

bool FtpConnection::onSocketWillConnect(AsyncSocket* sock) {
    if (acceptedDataSocket_ && sock == acceptedDataSocket_.get()) return true;  // judged once connected
    logLine("FC:onSocketWillConnect");
    sock->readDataWithTimeoutTag(-1, 0);
    return true;
}

void FtpConnection::onSocketDidConnectToHostPort(AsyncSocket* sock, const std::string&, std::uint16_t) {
    if (acceptedDataSocket_ && sock == acceptedDataSocket_.get()) return takeAcceptedDataSocket(sock);
    // Replies are small and often come in pairs (150 then 226, the two 221 lines): without this each second one
    // waits for the client's delayed acknowledgement of the first, some 40 ms per exchange.
    if (sock != connectionSocket_.get()) return;
    int one = 1;
    if (int fd = sock->getCFSocket(); fd >= 0) ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void FtpConnection::onSocketDidReadDataWithTag(AsyncSocket* sock, std::string_view data, std::int32_t) {
    if (sock != connectionSocket_.get()) return;
    lines_.feed(data);
}

void FtpConnection::onSocketDidWriteDataWithTag(AsyncSocket* sock, std::int32_t) {
    if (sock == connectionSocket_.get()) server_->didDataSend();
}

void FtpConnection::onSocketDidDisconnect(AsyncSocket* sock) {
    // The control socket closed: after QUIT once the replies are out, or because the client went away. Either
    // way the session is over; the server destroys this connection (and with it the data side and the file).
    if (sock == connectionSocket_.get()) server_->connectionDidEnd(this);
}

void FtpConnection::processDataRead(std::string_view bytes) {
    server_->didDataReceived();
    logLine("FC:didReadData");
    if (!isValidUtf8(bytes)) {
        sendMessage("500 Command line is not valid UTF-8.");
        return;
    }
    // A CR inside a line is no line end: taking it would put a CR into a stored name or a reply.
    if (bytes.find('\r') != std::string_view::npos) {
        sendMessage(kMissingArgument);
        return;
    }
    std::string text = trimNewlines(bytes);
    NSLog("<%@", text);
    msgComponents_ = splitAt(text, ' ');
    processCommand();
}

FtpConnection::Handler FtpConnection::handlerNamed(const std::string& name) {
    static const std::map<std::string, Handler> kHandlers = {
        {"doUser:", &FtpConnection::doUserArguments},   {"doPass:", &FtpConnection::doPassArguments},
        {"doStat:", &FtpConnection::doStatArguments},   {"doFeat:", &FtpConnection::doFeatArguments},
        {"doSyst:", &FtpConnection::doSystArguments},   {"doNoop:", &FtpConnection::doNoopArguments},
        {"doType:", &FtpConnection::doTypeArguments},   {"doOpts:", &FtpConnection::doOptsArguments},
        {"doPwd:", &FtpConnection::doPwdArguments},     {"doCwd:", &FtpConnection::doCwdArguments},
        {"doCdUp:", &FtpConnection::doCdUpArguments},   {"doMkdir:", &FtpConnection::doMkdirArguments},
        {"doDele:", &FtpConnection::doDeleArguments},   {"doRnfr:", &FtpConnection::doRnfrArguments},
        {"doRnto:", &FtpConnection::doRntoArguments},   {"doSize:", &FtpConnection::doSizeArguments},
        {"doList:", &FtpConnection::doListArguments},   {"doNlst:", &FtpConnection::doNlstArguments},
        {"doRetr:", &FtpConnection::doRetrArguments},   {"doStor:", &FtpConnection::doStorArguments},
        {"doMlst:", &FtpConnection::doMlstArguments},   {"doQuit:", &FtpConnection::doQuitArguments},
        {"doPasv:", &FtpConnection::doPasvArguments},   {"doEpsv:", &FtpConnection::doEpsvArguments},
        {"doPort:", &FtpConnection::doPortArguments},   {"doLprt:", &FtpConnection::doLprtArguments},
        {"doEprt:", &FtpConnection::doEprtArguments},
    };
    auto it = kHandlers.find(name);
    return it == kHandlers.end() ? nullptr : it->second;
}

void FtpConnection::processCommand() {
    const std::string& word = msgComponents_.at(0);
    if (word.empty()) return;  // an empty line, or one starting with a blank, gets no reply
    std::string handlerName = server_->handlerNameForCommand(lower(word));
    if (handlerName.empty()) {
        sendMessage(format("500 '%@': command not understood.", word));
        return;
    }
    Handler handler = handlerNamed(handlerName);
    if (!handler) {
        sendMessage(format("500 '%@': command not understood.", word));
        logLine("DONT UNDERSTAND");
        return;
    }
    const Words words = msgComponents_;  // a handler may dispatch again; keep its own copy
    // The name given by RNFR is good for the command right after it only.
    std::string renameFrom = std::exchange(rnfrFilename_, std::string());
    if (handler == &FtpConnection::doRntoArguments) rnfrFilename_ = std::move(renameFrom);
    (this->*handler)(this, words);
}

bool FtpConnection::requireArgument(const std::string& value) {
    if (!value.empty()) return true;
    sendMessage(kMissingArgument);
    return false;
}

// --- Paths.

std::optional<std::string> FtpConnection::filePath(const std::string& name) const {
    return FtpPathResolver::join(currentDir_, name);
}

const FtpPathResolver& FtpConnection::paths() const { return server_->paths(); }

bool FtpConnection::changedCurrentDirectoryTo(const std::string& name) {
    auto rooted = filePath(name);
    NSLog("currentDirectory: %@", paths().absolutePath(currentDir_));
    NSLog("newDirectory: %@", name);
    NSLog("expandedPath: %@", rooted ? paths().absolutePath(*rooted) : std::string());
    if (!rooted) return false;
    auto canonical = paths().enterableDirectory(*rooted);
    if (!canonical) return false;
    currentDir_ = *canonical;
    return true;
}

// --- Session commands.

void FtpConnection::doUserArguments(FtpConnection*, const Words& words) {
    if (words.size() < 2 || words[1].empty()) return (void)sendMessage(kMissingArgument);
    currentUser_ = words[1];
    sendMessage(format("331 Password required for %@", currentUser_));
}

void FtpConnection::doPassArguments(FtpConnection*, const Words&) {
    sendMessage(format("230 User %@ logged in.", currentUser_.empty() ? "anonymous" : currentUser_));
}

void FtpConnection::doStatArguments(FtpConnection*, const Words&) {
    sendMessage("211-localhost FTP server status:");
    sendMessage("211 End of Status");
}

void FtpConnection::doFeatArguments(FtpConnection*, const Words&) {
    sendMessage("211-Features supported");
    if (server_->clientEncoding() == FtpServer::kUTF8Encoding) sendMessage(" UTF8");
    sendMessage("211 End");
}

void FtpConnection::doSystArguments(FtpConnection*, const Words&) {
    sendMessage("215 UNIX Type: L8 Version: Qelmot 20080912");
}

void FtpConnection::doNoopArguments(FtpConnection*, const Words&) { sendMessage("200 NOOP command successful."); }

void FtpConnection::doTypeArguments(FtpConnection*, const Words& words) {
    if (words.size() < 2 || words[1].empty()) return (void)sendMessage(kMissingArgument);
    sendMessage(format("200 Type set to  %@.", words[1]));
}

void FtpConnection::doOptsArguments(FtpConnection*, const Words& words) {
    sendMessage(format("502 Unknown command '%@'", words.size() > 1 ? words[1] : std::string()));
}

void FtpConnection::doPwdArguments(FtpConnection*, const Words&) {
    std::string visible = FtpPathResolver::visiblePath(currentDir_);
    NSLog("Will PWD %@ ", visible);
    sendMessage(format("257 \"%@\" is the current directory.", visible));
}

void FtpConnection::doCwdArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    NSLog("DoCwd arguments is %@", joinWords(words));
    NSLog("CWD: %@", name);
    if (!requireArgument(name)) return;
    sendMessage(changedCurrentDirectoryTo(name) ? "250 CWD command successful." : "550 CWD failed.");
    NSLog("currentDir is now %@", paths().absolutePath(currentDir_));
}

void FtpConnection::doCdUpArguments(FtpConnection*, const Words&) {
    std::string visible = FtpPathResolver::visiblePath(currentDir_);
    NSLog("CurrentDir is %@", visible);
    bool ok = changedCurrentDirectoryTo(FtpPathResolver::deletingLastPathComponent(visible));
    sendMessage(ok ? "250 CDUP command successful." : "550 CDUP command failed.");
}

void FtpConnection::doQuitArguments(FtpConnection*, const Words& words) {
    NSLog("Quit : %@", joinWords(words));
    sendMessage("221- Data traffic for this session was 0 bytes in 0 files");
    sendMessage("221 Thank you for using the FTP service on localhost.");
    // Lines after QUIT are not handled; the socket closes once both replies are written, and then the server
    // destroys this connection (onSocketDidDisconnect).
    lines_.stop();
    connectionSocket_->disconnectAfterWriting();
    server_->closeConnection(this);
}

// --- File commands.

void FtpConnection::doMkdirArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    NSLog("current dir is %@", paths().absolutePath(currentDir_));
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    auto entry = path ? paths().locate(*path, false) : std::nullopt;
    if (!entry && (!path || errno == EXDEV || errno == ELOOP))
        return (void)sendMessage(format("550 %@: Permission denied.", name));
    if (entry && entry->exists) return (void)sendMessage(format("550 %@: File exists.", name));
    if (!paths().makeDirectories(*path)) {
        NSLog("MKD failed %@", std::string(std::strerror(errno)));
        return (void)sendMessage("550 MKD command failed.");
    }
    sendMessage("250 MKD command successful.");
}

void FtpConnection::doDeleArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    NSLog("filename is %@", name);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    auto entry = path ? paths().locate(*path, false) : std::nullopt;
    if (!path || (!entry && (errno == EXDEV || errno == ELOOP))) return (void)sendMessage("550 DELE command unsuccessful.");
    if (!entry || !entry->exists) return (void)sendMessage(format("550 %@ No such file or directory.", name));
    // Never the base directory, nor a directory the client is standing in: "RMD ." or "RMD Books/.." would
    // otherwise remove the folder under its feet.
    if (entry->name.empty() || FtpPathResolver::isInside(currentDir_, entry->path))
        return (void)sendMessage("550 DELE command unsuccessful.");
    // RMD removes an empty folder only, and DELE files only: a folder with datasheets in it is never taken
    // along with one command.
    struct stat st {};
    const bool folder = ::fstatat(entry->folder.get(), entry->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                        S_ISDIR(st.st_mode);
    const bool rmd = lower(words[0]) == "rmd";
    if (folder != rmd || ::unlinkat(entry->folder.get(), entry->name.c_str(), folder ? AT_REMOVEDIR : 0) != 0) {
        NSLog("DELE failed %@", std::string(folder != rmd ? "wrong kind" : std::strerror(errno)));
        return (void)sendMessage("550 DELE command unsuccessful.");
    }
    server_->didReceiveFileListChanged();
    sendMessage("250 DELE command successful.");
}

void FtpConnection::doRnfrArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    auto entry = path ? paths().locate(*path, false) : std::nullopt;
    if (!entry || !entry->exists || entry->name.empty()) return (void)sendMessage("550 RNFR command failed.");
    rnfrFilename_ = entry->path;
    sendMessage("350 RNFR command successful.");
}

void FtpConnection::doRntoArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    // Both ends are found again now, beneath the base, and renamed through their folders' descriptors.
    auto from = rnfrFilename_.empty() ? std::nullopt : paths().locate(rnfrFilename_, false);
    auto to = path ? paths().locate(*path, false) : std::nullopt;
    rnfrFilename_.clear();
    if (!from || !from->exists || !to || to->name.empty()) return (void)sendMessage("550 RNTO command failed.");
    NSLog("RNFR %@", paths().absolutePath(from->path));
    NSLog("RNTO %@", paths().absolutePath(to->path));
    // A link moved elsewhere must still lead inside, or a relative "../x" would point out from its new place.
    struct stat st {};
    if (::fstatat(from->folder.get(), from->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        ssize_t n = ::readlinkat(from->folder.get(), from->name.c_str(), target, sizeof target);
        std::string folder = FtpPathResolver::deletingLastPathComponent("/" + to->path);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof target) ||
            !paths().linkLeadsInside(folder.substr(1), std::string(target, static_cast<size_t>(n))))
            return (void)sendMessage("550 RNTO command failed.");
    }
    // An existing target is never replaced.
    const int fromDir = from->folder.get(), toDir = to->folder.get();
    int rc = ::renameat2(fromDir, from->name.c_str(), toDir, to->name.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL && !to->exists) rc = ::renameat(fromDir, from->name.c_str(), toDir, to->name.c_str());
    if (rc != 0) {
        NSLog("RNTO failed %@", std::string(std::strerror(errno)));
        return (void)sendMessage("550 RNTO command failed.");
    }
    server_->didReceiveFileListChanged();
    sendMessage("250 RNTO command successful.");
}

void FtpConnection::doSizeArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    UniqueFd fd = path ? paths().open(*path, O_PATH) : UniqueFd();
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return (void)sendMessage(format("550 %@ No such file or directory.", name));
    if (!S_ISREG(st.st_mode)) return (void)sendMessage(format("550 %@: Not a plain file.", name));
    unsigned long long size = static_cast<unsigned long long>(st.st_size);
    NSLog("File size is %qu ", size);
    sendMessage(format("213 %qu", size));
}

void FtpConnection::doListArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    auto dir = filePath(name);
    // The current folder is walked again too: a folder renamed or swapped for a link since CWD must not lead out.
    auto entry = dir ? paths().locate(*dir, true) : std::nullopt;
    if (!entry && (!dir || errno == EXDEV || errno == ELOOP))
        return (void)sendMessage(format("550 %@: Permission denied.", name.empty() ? FtpPathResolver::visiblePath(currentDir_) : name));
    const std::string shown = paths().absolutePath(entry ? entry->path : *dir);
    NSLog("doList currentDir(%@) changeRoot%d", shown, server_->changeRoot() ? 1 : 0);
    NSLog("Will list %@ ", shown);
    if (!canTransfer()) return (void)sendMessage(kNoDataConnection);
    UniqueFd fd = paths().open(*dir, O_RDONLY | O_DIRECTORY);
    std::string listing = FtpListing::createList(fd.get(), shown);
    sendMessage("150 Opening ASCII mode data connection for '/bin/ls'.");
    sendDataString(listing);
}

void FtpConnection::doNlstArguments(FtpConnection* sender, const Words& words) { doListArguments(sender, words); }

void FtpConnection::doRetrArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    NSLog("FC:doRetr: %@", path ? paths().absolutePath(*path) : name);
    // Opened without blocking, so a FIFO or device cannot stall the loop that serves every client.
    UniqueFd fd = path ? paths().open(*path, O_RDONLY | O_NONBLOCK) : UniqueFd();
    const int openError = errno;
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) {
        if (openError == EACCES) return (void)sendMessage(format("550 %@: Permission denied.", name));
        NSLog("FC:doRetr: file %@ doesnt' exist ", path ? paths().absolutePath(*path) : name);
        return (void)sendMessage(format("550 %@ No such file or directory.", name));
    }
    if (!S_ISREG(st.st_mode)) return (void)sendMessage(format("550 %@: Not a plain file.", name));
    if (!canTransfer()) return (void)sendMessage(kNoDataConnection);
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    sendMessage(format("150 Opening BINARY mode data connection for '%@'.", name));
    sendData(FtpDataConnection::Outgoing::file(fd.release()));
}

void FtpConnection::doStorArguments(FtpConnection*, const Words& words) {
    std::string name = FtpPathResolver::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    if (!canTransfer()) return (void)sendMessage(kNoDataConnection);
    auto path = filePath(name);
    closeCurrentFile();
    // Only a regular file is written: a FIFO or device named by a client must not block or be written to.
    UniqueFd fd = path ? paths().open(*path, O_WRONLY | O_CREAT | O_NONBLOCK, 0644) : UniqueFd();
    struct stat st {};
    if (fd && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd.get(), 0) != 0)) fd.reset();
    if (!fd) {
        sendMessage(format("553 %@: Permission denied.", name));
    } else {
        ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
        currentFile_ = paths().absolutePath(*path);
        currentFileHandle_ = fd.release();
        uploadFailed_ = false;
        sendMessage(format("150 Opening BINARY mode data connection for '%@'.", name));
    }
    NSLog("FC:doStor  %@", currentFile_);
    if (currentFileHandle_ < 0) return;
    if (dataConnection_) {
        logLine("FC:setting connection state to clientSending");
        dataConnection_->setConnectionState(FtpDataConnection::clientSending);
    } else {
        logLine("FC:Erorr  Cant set connection state to Client Sending : no Connection yet ");
    }
}

void FtpConnection::doMlstArguments(FtpConnection*, const Words& words) {
    sendMessage(format("150 Opening BINARY mode data connection for '%@'.", FtpPathResolver::fileNameFromArgs(words)));
}

// --- Data connections.

bool FtpConnection::canTransfer() const { return dataConnection_ || dataListeningSocket_; }

std::uint16_t FtpConnection::choosePasvDataPort() {
    // Seeded once from the system's random source: a draw seeded from the clock repeats within the same tick and
    // lets anyone guess the next port.
    static std::mt19937 engine{std::random_device{}()};
    return static_cast<std::uint16_t>(std::uniform_int_distribution<int>(1024, 65535)(engine));
}

void FtpConnection::doPasvArguments(FtpConnection*, const Words&) {
    transferMode_ = pasvMode;
    openDataSocket(0);
}

void FtpConnection::doEpsvArguments(FtpConnection*, const Words&) {
    transferMode_ = epsvMode;
    openDataSocket(0);
}

void FtpConnection::doPortArguments(FtpConnection*, const Words& words) {
    auto fields = splitAt(words.size() > 1 ? words[1] : "", ',');
    if (fields.size() != 6) return (void)sendMessage(kMissingArgument);
    for (const auto& f : fields)
        if (byteField(f) < 0) return (void)sendMessage(kMissingArgument);
    transferMode_ = portMode;
    openDataSocket(static_cast<unsigned>(byteField(fields[4]) * 256 + byteField(fields[5])));
}

void FtpConnection::doLprtArguments(FtpConnection*, const Words& words) {
    auto fields = splitAt(words.size() > 1 ? words[1] : "", ',');
    if (fields.size() != 21) return (void)sendMessage(kMissingArgument);
    for (const auto& f : fields)
        if (byteField(f) < 0) return (void)sendMessage(kMissingArgument);
    int p1 = byteField(fields[19]), p2 = byteField(fields[20]);
    NSLog("%d %d %d", p1 * 256, p1, p2);
    transferMode_ = lprtMode;
    openDataSocket(static_cast<unsigned>(p1 * 256 + p2));
}

void FtpConnection::doEprtArguments(FtpConnection*, const Words& words) {
    auto fields = splitAt(words.size() > 1 ? words[1] : "", '|');
    for (const auto& f : fields) NSLog("%@", f);
    if (fields.size() < 4) return (void)sendMessage(kMissingArgument);
    unsigned port = portField(fields[3]);
    NSLog("Got Send Port %d", static_cast<int>(port));
    if (port == 0) return (void)sendMessage(kMissingArgument);
    transferMode_ = eprtMode;
    openDataSocket(port);
}

bool FtpConnection::openDataSocket(unsigned port) {
    closeSocket(acceptedDataSocket_);
    closeSocket(dataListeningSocket_);
    closeSocket(dataSocket_);
    retireDataConnection();
    Error err;
    std::string reply;
    if (transferMode_ == pasvMode || transferMode_ == epsvMode) {
        // A random port may be taken: try others before giving up with 425 rather than name a dead port.
        std::string host = plainAddress(connectionSocket_->localHost());
        if (transferMode_ == pasvMode && host.find(':') != std::string::npos) {
            // PASV can only name an IPv4 address; over IPv6 clients use EPSV.
            NSLog("-- PASV over IPv6 %@", host);
            sendMessage(kNoDataConnection);
            return false;
        }
        auto listener = AsyncSocket::create(this);
        bool listening = false;
        for (int attempt = 0; attempt < kPasvAttempts && !listening; ++attempt) {
            // Past the random draws the system picks a free port, so a busy range never ends in 425.
            const bool last = attempt == kPasvAttempts - 1;
            listening = listener->acceptOnPort(last ? 0 : choosePasvDataPort(), &err);
            if (listening) dataPort_ = listener->localPort();
        }
        NSLog("-- %@", listening ? std::string() : err.localizedDescription);
        if (!listening) {
            sendMessage(kNoDataConnection);
            return false;
        }
        dataListeningSocket_ = listener;
        if (transferMode_ == pasvMode) {
            std::replace(host.begin(), host.end(), '.', ',');
            reply = format("227 Entering Passive Mode (%@,%d,%d)", host, dataPort_ / 256, dataPort_ % 256);
        } else {
            reply = format("229 Entering Extended Passive Mode (|||%d|)", dataPort_);
        }
    } else {
        dataPort_ = static_cast<std::uint16_t>(port);
        if (port < 1024 || port > 65535) {  // never a privileged service port of the client's host
            sendMessage(kMissingArgument);
            return false;
        }
        reply = transferMode_ == portMode   ? "200 PORT command successful."
                : transferMode_ == lprtMode ? "228 Entering Long Passive Mode \t(af, hal, h1, h2, h3,..., pal, p1, p2...)"
                                            : "200 EPRT command successful.";
        // The data connection goes to the control connection's own client, whatever address was named.
        auto socket = AsyncSocket::create(this);
        bool started = socket->connectToHost(connectionAddress(), dataPort_, &err);
        NSLog("-- %@", started ? std::string() : err.localizedDescription);
        if (!started) {
            sendMessage(kNoDataConnection);
            return false;
        }
        dataSocket_ = socket;
        dataConnection_ = std::make_unique<FtpDataConnection>(socket, this, queuedData_, FtpDataConnection::clientQuiet);
        dataConnection_->start();
    }
    sendMessage(reply);
    return true;
}

void FtpConnection::onSocketDidAcceptNewSocket(AsyncSocket* sock, const std::shared_ptr<AsyncSocket>& newSocket) {
    if (sock != dataListeningSocket_.get()) return;
    // Who connected is known once the new socket is open: keep it until onSocketDidConnectToHostPort.
    acceptedDataSocket_ = newSocket;
}

void FtpConnection::takeAcceptedDataSocket(AsyncSocket* sock) {
    std::shared_ptr<AsyncSocket> socket = std::move(acceptedDataSocket_);
    // Only the control connection's own client may take the data port: anyone else could steal a download or
    // slip their bytes into an upload. Others are closed at once and the port keeps waiting.
    if (plainAddress(sock->connectedHost()) != plainAddress(connectionAddress())) {
        NSLog("FC: data connection from %@ refused", sock->connectedHost());
        sock->setDelegate(nullptr);
        sock->disconnect();
        return;
    }
    logLine("FC:New Connection -- should be for the data port");
    closeSocket(dataListeningSocket_);  // one data connection per PASV
    retireDataConnection();
    // An upload announced before the client connected ends when the client closes, even without a byte.
    dataConnection_ = std::make_unique<FtpDataConnection>(
        socket, this, queuedData_, isUploading() ? FtpDataConnection::clientSending : FtpDataConnection::clientQuiet);
    dataConnection_->start();
}

void FtpConnection::sendData(FtpDataConnection::Outgoing item) {
    if (dataConnection_) {
        logLine("FC:sendData");
        dataConnection_->writeData(std::move(item));
    } else {
        queuedData_.push_back(std::move(item));
    }
}

void FtpConnection::sendDataString(const std::string& text) {
    sendData(FtpDataConnection::Outgoing::bytes(FtpListing::normalizedFormC(text)));
}

void FtpConnection::didReceiveDataRead() {
    if (currentFileHandle_ < 0 || uploadFailed_) {
        logLine("Couldnt write data");
        return;
    }
    std::string_view data = dataConnection_->receivedData();
    while (!data.empty()) {
        ssize_t n = ::write(currentFileHandle_, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Disk full or similar: the upload cannot be complete, and must not be reported as if it were.
            NSLog("FC: writing %@ failed: %@", currentFile_, std::string(std::strerror(errno)));
            uploadFailed_ = true;
            return;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
}

void FtpConnection::didReceiveDataWritten() {
    logLine("SENDING COMPLETED");
    sendMessage("226 Transfer complete.");
    if (dataConnection_ && !dataConnection_->hasPendingTransfers()) {
        dataConnection_->closeConnection();
        retireDataConnection();
    }
}

void FtpConnection::didFinishReading(const std::optional<Error>& err) {
    const bool connected = dataConnection_ && dataConnection_->hasConnected();
    if (isUploading()) {
        logLine("Closing File Handle");
        const bool failed = uploadFailed_ || err.has_value();
        closeCurrentFile();
        sendMessage(!failed ? "226 Transfer complete." : connected ? kAborted : kNoDataConnection);
        server_->didReceiveFileListChanged();
    } else if (dataConnection_ && dataConnection_->hasPendingTransfers()) {
        // A download that lost its client, or an active connection that never came up.
        sendMessage(connected ? kAborted : kNoDataConnection);
    } else {
        // No transfer was announced: nothing to answer (an active connection that failed before any command
        // leaves the next transfer command to answer 425).
        logLine("FC:Data Sent but not sure where its for ");
    }
    retireDataConnection();
}

void FtpConnection::closeCurrentFile() {
    if (currentFileHandle_ >= 0) ::close(currentFileHandle_);
    currentFileHandle_ = -1;
    currentFile_.clear();
}

void FtpConnection::retireDataConnection() {
    if (!dataConnection_) return;
    dataConnection_->closeConnection();
    if (dataSocket_.get() == dataConnection_->socket()) dataSocket_.reset();
    retiredDataConnections_.push_back(std::move(dataConnection_));
    if (!destroyRetired_)
        destroyRetired_ = RunLoop::main().defer([this] {
            destroyRetired_ = 0;
            retiredDataConnections_.clear();
        });
}
