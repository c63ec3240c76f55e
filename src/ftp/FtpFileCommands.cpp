#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "ftp/FtpSession.h"
#include "ftp/FtpReplies.h"
#include "ftp/FtpListing.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Text.h"

// The file commands of a control connection: every name is resolved beneath the base folder (FtpPathResolver)
// and acted on through the descriptor of its folder.

namespace {

const char* const kBadRestart = "554 Restart position beyond the end of the file.";

}  // namespace

void FtpSession::doMkdir(const Words& words) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    NSLog("current dir is %@", paths().absolutePath(currentDir_));
    if (!requireArgument(name)) return;
    if (text::hasBidiControls(name)) return sendMessage(FtpReplies::kReorderingName);
    auto path = filePath(name);
    auto entry = locate(path, false);
    if (!entry && FtpPathResolver::ledOut(entry.error()))
        return sendMessage(format("550 %@: Permission denied.", name));
    if (entry && entry->exists) return sendMessage(format("550 %@: File exists.", name));
    if (!paths().makeDirectories(*path)) {
        NSLog("MKD failed %@", std::string(std::strerror(errno)));
        return sendMessage("550 MKD command failed.");
    }
    // 257 with the folder as the client sees it, quotes inside doubled: clients wait for this code.
    std::string shown = "/" + *path;
    for (size_t at = 0; (at = shown.find('"', at)) != std::string::npos; at += 2) shown.insert(at, 1, '"');
    sendMessage(format("257 \"%@\" created.", shown));
}

void FtpSession::doDele(const Words& words) { removeEntry(words, false); }

void FtpSession::doRmd(const Words& words) { removeEntry(words, true); }

void FtpSession::removeEntry(const Words& words, bool rmd) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    NSLog("filename is %@", name);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    auto entry = locate(path, false);
    if (!entry && FtpPathResolver::ledOut(entry.error())) return sendMessage("550 DELE command unsuccessful.");
    if (!entry || !entry->exists) return sendMessage(format("550 %@ No such file or directory.", name));
    // Never the base folder. The folder the client stands in may go (an empty one only): file managers remove
    // the folder they listed last; the session's commands then answer 550 until CWD.
    if (entry->name.empty()) return sendMessage("550 DELE command unsuccessful.");
    // RMD removes an empty folder only, and DELE files only: a folder with datasheets in it is never taken
    // along with one command.
    struct stat st {};
    const bool folder = ::fstatat(entry->folder.get(), entry->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                        S_ISDIR(st.st_mode);
    if (folder != rmd || ::unlinkat(entry->folder.get(), entry->name.c_str(), folder ? AT_REMOVEDIR : 0) != 0) {
        NSLog("DELE failed %@", std::string(folder != rmd ? "wrong kind" : std::strerror(errno)));
        return sendMessage("550 DELE command unsuccessful.");
    }
    settings_.fileListChanged();
    sendMessage(rmd ? "250 RMD command successful." : "250 DELE command successful.");
}

void FtpSession::doRnfr(const Words& words) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    auto entry = locate(path, false);
    if (!entry || !entry->exists || entry->name.empty()) return sendMessage("550 RNFR command failed.");
    rnfrFilename_ = entry->path;
    sendMessage("350 RNFR command successful.");
}

void FtpSession::doRnto(const Words& words) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    if (text::hasBidiControls(name)) return sendMessage(FtpReplies::kReorderingName);
    auto path = filePath(name);
    // Both ends are found again now, beneath the base, and renamed through their folders' descriptors.
    auto from = locate(rnfrFilename_.empty() ? std::nullopt : std::optional(rnfrFilename_), false);
    auto to = locate(path, false);
    rnfrFilename_.clear();
    if (!from || !from->exists || !to || to->name.empty()) return sendMessage("550 RNTO command failed.");
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
            return sendMessage("550 RNTO command failed.");
    }
    // A file replaces an existing file in one step (clients upload under a temporary name, then rename); a
    // folder is never replaced, nor a file by a folder.
    const int fromDir = from->folder.get(), toDir = to->folder.get();
    struct stat existing {};
    const bool folders = ::fstatat(toDir, to->name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                         (S_ISDIR(existing.st_mode) || S_ISDIR(st.st_mode));  // st: the source, read above
    int rc = folders ? -1 : ::renameat2(fromDir, from->name.c_str(), toDir, to->name.c_str(), to->exists ? 0 : RENAME_NOREPLACE);
    if (rc != 0 && !folders && errno == EINVAL) rc = ::renameat(fromDir, from->name.c_str(), toDir, to->name.c_str());
    if (rc != 0) {
        NSLog("RNTO failed %@", std::string(std::strerror(errno)));
        return sendMessage("550 RNTO command failed.");
    }
    settings_.fileListChanged();
    sendMessage("250 RNTO command successful.");
}

bool FtpSession::statRegularFile(const std::string& name, struct stat& st) {
    if (!requireArgument(name)) return false;
    auto path = filePath(name);
    UniqueFd fd = path ? paths().open(*path, O_PATH) : UniqueFd();
    if (!fd || ::fstat(fd.get(), &st) != 0) {
        sendMessage(format("550 %@ No such file or directory.", name));
        return false;
    }
    if (S_ISREG(st.st_mode)) return true;
    sendMessage(format("550 %@: Not a plain file.", name));
    return false;
}

void FtpSession::doSize(const Words& words) {
    struct stat st {};
    if (!statRegularFile(FtpCommandLine::fileNameFromArgs(words), st)) return;
    unsigned long long size = static_cast<unsigned long long>(st.st_size);
    NSLog("File size is %qu ", size);
    sendMessage(format("213 %qu", size));
}

void FtpSession::doMdtm(const Words& words) {
    struct stat st {};
    if (statRegularFile(FtpCommandLine::fileNameFromArgs(words), st))
        sendMessage("213 " + FtpListing::formatUtcTime(st.st_mtime));
}

void FtpSession::doList(const Words& words) { sendListing(words, FtpListing::Style::longLines); }

void FtpSession::doNlst(const Words& words) { sendListing(words, FtpListing::Style::names); }

void FtpSession::doMlsd(const Words& words) { sendListing(words, FtpListing::Style::facts); }

void FtpSession::sendListing(const Words& words, FtpListing::Style style, bool onControl) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    auto dir = filePath(name);
    // The current folder is walked again too: a folder renamed or swapped for a link since CWD must not lead out.
    auto entry = locate(dir, true);
    if (!entry && FtpPathResolver::ledOut(entry.error()))
        return sendMessage(format("550 %@: Permission denied.", name.empty() ? FtpPathResolver::visiblePath(currentDir_) : name));
    const std::string shown = paths().absolutePath(entry ? entry->path : *dir);
    NSLog("doList currentDir(%@) changeRoot%d", shown, 1);
    NSLog("Will list %@ ", shown);
    // What is listed: a folder whole; a file by its own line; a name that is not there but ends in a wildcard,
    // the entries of its folder that match it (`NLST *.pdf`, `mget *`). NLST names carry the folder the client
    // wrote, so that they can be fetched as they are.
    UniqueFd listed;
    std::string pattern, prefix = name.substr(0, name.rfind('/') + 1);
    struct stat st {};
    const char* at = entry && !entry->name.empty() ? entry->name.c_str() : ".";
    const bool exists = entry && entry->exists && ::fstatat(entry->folder.get(), at, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        listed.reset(::openat(entry->folder.get(), at, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        prefix.clear();
    } else if (style != FtpListing::Style::facts && (exists || (entry && FtpCommandLine::hasWildcard(name)))) {
        listed = std::move(entry->folder);
        pattern = exists ? FtpListing::escapedPattern(entry->name) : entry->name;
    } else if (style == FtpListing::Style::facts || onControl) {
        // A machine listing is of a folder only; clients take 550 as "no such folder".
        return sendMessage(exists ? format("550 %@: Not a directory.", name)
                                  : format("550 %@ No such file or directory.", name));
    }
    if (!onControl && !data_.isOpen()) return sendMessage(FtpReplies::kNoDataConnection);
    // The listed folder's path, for following its links beneath the base.
    const std::string folder = !entry                          ? std::string()
                               : exists && S_ISDIR(st.st_mode) ? entry->path
                                                               : FtpPathResolver::deletingLastPathComponent("/" + entry->path).substr(1);
    auto links = [&](const std::string& link, struct stat& target) {
        auto path = FtpPathResolver::join(folder, link);
        auto found = locate(path, true);
        return found && found->exists &&
               ::fstatat(found->folder.get(), found->name.empty() ? "." : found->name.c_str(), &target,
                         AT_SYMLINK_NOFOLLOW) == 0;
    };
    std::string listing = FtpListing::createList(listed ? listed.get() : -1, shown, style, pattern, prefix, links);
    if (onControl) return sendStatusListing(name, listing);
    // Listings wait whole in memory until sent: past the server's budget for them, new ones are refused.
    if (!owner_.reserveMemory(connectionAddress(), listing.size())) return sendMessage("451 The server is busy; try again later.");
    listingBytes_ = listing.size();
    sendMessage(style == FtpListing::Style::facts ? "150 Opening ASCII mode data connection for 'MLSD'."
                                                  : "150 Opening ASCII mode data connection for '/bin/ls'.");
    // The names as they are on disk: Linux does not normalise names, so a listing in another form would name
    // files that cannot be fetched.
    sendData(FtpDataConnection::Outgoing{std::move(listing), {}, 0});
}

void FtpSession::sendStatusListing(const std::string& name, const std::string& listing) {
    // The lines between the first and the last reply line start with a permission letter or "total", never with a
    // reply code, so no client takes one of them for the end.
    std::string lines = format("213-Status of %@:\r\n", name);
    for (std::size_t at = 0, end; at < listing.size(); at = end + 1) {
        end = std::min(listing.find('\n', at), listing.size());
        std::string_view line(listing.data() + at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.append(line).append("\r\n");
    }
    sendMessage(lines + "213 End of status.");
}

void FtpSession::doRetr(const Words& words) {
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    auto path = filePath(name);
    NSLog("FC:doRetr: %@", path ? paths().absolutePath(*path) : name);
    // A regular file only: a FIFO or device must not stall the loop that serves every client.
    struct stat st {};
    UniqueFd fd = path ? paths().openRegularFile(*path, O_RDONLY, st) : UniqueFd();
    if (!fd) {
        if (path && errno == EINVAL) return sendMessage(format("550 %@: Not a plain file.", name));
        if (path && errno == EACCES) return sendMessage(format("550 %@: Permission denied.", name));
        NSLog("FC:doRetr: file %@ doesnt' exist ", path ? paths().absolutePath(*path) : name);
        return sendMessage(format("550 %@ No such file or directory.", name));
    }
    const long long restart = std::exchange(restartOffset_, 0);
    if (restart > st.st_size) return sendMessage(kBadRestart);
    if (!data_.isOpen()) return sendMessage(FtpReplies::kNoDataConnection);
    sendMessage(format("150 Opening BINARY mode data connection for '%@'.", name));
    startTransferReport(name, false, static_cast<std::uint64_t>(st.st_size - restart));
    sendData(FtpDataConnection::Outgoing{{}, std::move(fd), static_cast<off_t>(restart)});
}

void FtpSession::doStor(const Words& words) { storeFile(words, false); }

void FtpSession::doAppe(const Words& words) { storeFile(words, true); }

void FtpSession::storeFile(const Words& words, bool append) {
    const long long restart = std::exchange(restartOffset_, 0);
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    if (!requireArgument(name)) return;
    if (text::hasBidiControls(name)) return sendMessage(FtpReplies::kReorderingName);
    if (!data_.isOpen()) return sendMessage(FtpReplies::kNoDataConnection);
    auto path = filePath(name);
    const std::string refused = format("553 %@: Permission denied.", name);
    // The file itself, links inside the base followed: a new version is made beside it, in its own folder.
    auto entry = locate(path, true);
    if (!entry || entry->name.empty()) return sendMessage(refused);
    const int folder = entry->folder.get();
    const char* at = entry->name.c_str();
    // A resumed STOR and APPE write into the file in place; a plain STOR replaces it whole once it is complete.
    const bool inPlace = append || restart > 0;
    if (restart > 0 && !entry->exists) return sendMessage(kBadRestart);
    struct stat st {};
    UniqueFd file;
    if (entry->exists || append) {
        // Only a regular file is written: a FIFO or device named by a client must not block or be written to.
        const int flags = inPlace ? O_WRONLY | (append ? O_APPEND | O_CREAT : 0) : O_RDONLY;
        file.reset(::openat(folder, at, flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!file || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return sendMessage(refused);
        ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
        if (!inPlace && ::faccessat(folder, at, W_OK, 0) != 0) return sendMessage(refused);
        // One writer in place at a time, and none while a new version is on its way: two would mix their bytes.
        if (::flock(file.get(), (inPlace ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
            return sendMessage(format("450 %@: File busy.", name));
    }
    if (restart > st.st_size) return sendMessage(kBadRestart);
    FtpDataConnection::Incoming upload;
    if (inPlace) {
        upload.offset = append ? st.st_size : static_cast<off_t>(restart);
        upload.append = append;
        upload.oldLength = st.st_size;
    } else {
        upload.replacement = std::make_unique<AtomicUpload>(folder, entry->name, entry->exists ? st.st_mode & 0777 : 0644);
        if (!upload.replacement->isOpen()) return sendMessage(refused);
    }
    upload.file = std::move(file);
    NSLog("FC:doStor  %@", paths().absolutePath(entry->path));
    sendMessage(format("150 Opening BINARY mode data connection for '%@'.", name));
    startTransferReport(name, true, 0);
    receiveData(std::move(upload));
}

void FtpSession::doMlst(const Words& words) {
    // The facts of one entry, on the control connection.
    std::string name = FtpCommandLine::fileNameFromArgs(words);
    auto path = filePath(name);
    auto entry = locate(path, true);
    std::string facts = entry && entry->exists ? FtpListing::factsOf(entry->folder.get(), entry->name, false) : "";
    if (facts.empty()) return sendMessage(format("550 %@ No such file or directory.", name));
    // Named as the client wrote it: a link's target could hold a line end that would forge a reply line.
    const std::string shown = "/" + *path;
    sendMessage("250-Listing " + shown);
    sendMessage(" " + facts + " " + shown);
    sendMessage("250 End");
}

bool FtpSession::setModificationTime(const std::string& name, const std::string& when) {
    auto time = FtpCommandLine::utcTime(when);
    if (!time || name.empty()) {
        sendMessage(FtpReplies::kMissingArgument);
        return false;
    }
    auto path = filePath(name);
    auto entry = locate(path, true);
    const timespec times[2] = {{0, UTIME_OMIT}, {*time, 0}};
    if (!entry || !entry->exists ||
        ::utimensat(entry->folder.get(), entry->name.empty() ? "." : entry->name.c_str(), times,
                    AT_SYMLINK_NOFOLLOW) != 0) {
        sendMessage(format("550 %@: Cannot set the modification time.", name));
        return false;
    }
    return true;
}

void FtpSession::doMfmt(const Words& words) {
    // MFMT YYYYMMDDHHMMSS name, in UTC: clients that mirror keep their files' times, and send only what changed.
    const std::string when = words.size() > 1 ? words[1] : "";
    const std::string name = FtpCommandLine::joinArguments(words, 2);
    if (setModificationTime(name, when)) sendMessage(format("213 Modify=%@; %@", when.substr(0, 14), name));
}

void FtpSession::siteChmod(const Words& words) {
    // SITE CHMOD mode name: the nine permission bits only (never set-id bits), of an entry beneath the base.
    const std::string mode = words.size() > 2 ? words[2] : "";
    const std::string name = FtpCommandLine::joinArguments(words, 3);
    if (name.empty() || mode.empty() || mode.size() > 4 || mode.find_first_not_of("01234567") != std::string::npos)
        return sendMessage(FtpReplies::kMissingArgument);
    auto path = filePath(name);
    auto entry = locate(path, true);
    if (!entry || !entry->exists ||
        ::fchmodat(entry->folder.get(), entry->name.empty() ? "." : entry->name.c_str(),
                   static_cast<mode_t>(std::stoul(mode, nullptr, 8) & 0777), 0) != 0)
        return sendMessage(format("550 %@: Cannot change the permissions.", name));
    sendMessage("200 SITE CHMOD command successful.");
}

void FtpSession::doSite(const Words& words) {
    // SITE CHMOD, and SITE UTIME in both forms clients send: "UTIME YYYYMMDDHHMMSS name" and "UTIME name ATIME MTIME CTIME UTC".
    const std::string sub = words.size() > 1 ? text::lowercased(words[1]) : "";
    if (sub == "chmod") return siteChmod(words);
    if (sub != "utime") return sendMessage(format("500 '%@': command not understood.", words[0]));
    const bool fiveArguments = words.size() >= 7 && text::lowercased(words.back()) == "utc";
    const std::string when = fiveArguments ? words[words.size() - 3] : words.size() > 2 ? words[2] : "";
    const std::string name = fiveArguments ? FtpCommandLine::joinArguments(Words(words.begin(), words.end() - 4), 2)
                                           : FtpCommandLine::joinArguments(words, 3);
    if (setModificationTime(name, when)) sendMessage("200 UTIME command successful.");
}
