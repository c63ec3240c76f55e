#pragma once
#include <sys/stat.h>

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

/// The listings that LIST, NLST and MLSD send, and the facts that MLST answers with.
class FtpListing {
public:
    FtpListing() = delete;

    /// How a listing is written.
    enum class Style {
        longLines,  ///< the `ls -l` shape FTP clients parse: "total N" CR LF, then one line per entry ending in LF
        names,      ///< bare names, one per CR LF line (NLST)
        facts,      ///< one "facts; name" CR LF line per entry, as machine listings are (MLSD)
    };

    /// What a symbolic link leads to, for the link `name` in the listed folder: true with the target's attributes
    /// in `st` when it lies where clients may go; false to leave the link out of the listing.
    using LinkTarget = std::function<bool(const std::string& name, struct stat& st)>;

    /// Lists the entries of the directory `path` in the order the file system yields them, hidden names (leading
    /// ".") left out, without descending. A missing or unreadable directory gives "total 0" CR LF. Entries are
    /// described as themselves (a symbolic link is not followed). Never throws.
    static std::string createList(const std::string& path);
    /// The same for the directory open as `dirFd` (entries read relative to it); `path` names it in the log.
    /// Only entries whose name matches the shell `pattern` are listed (all when it is empty); in the names style
    /// each name is preceded by `prefix`. Hidden entries and names holding a line end are never listed: a name
    /// with CR or LF would break the listing into lines clients read as entries of their own. Names are sent as
    /// the file system holds them. With `links`, a symbolic link is listed as what it leads to, or left out.
    static std::string createList(int dirFd, const std::string& path, Style style = Style::longLines,
                                  const std::string& pattern = "", const std::string& prefix = "",
                                  const LinkTarget& links = nullptr);

    /// The facts of the entry `name` in the folder `folderFd` ("" or "." for the folder itself), each ending in
    /// ";": type, size, modify, perm and, with `unique`, unique. Empty when the entry cannot be read.
    static std::string factsOf(int folderFd, const std::string& name, bool unique);
    /// The same from attributes already read (`at` for the access checks).
    static std::string factsOf(int folderFd, const char* at, const struct stat& st, bool unique);

    /// One listing line (without its LF) from the already gathered attributes; `isDirectory` picks the type letter,
    /// the nine low bits of `mode` the permission letters, `links` below 1 shows as 1.
    static std::string formatLine(bool isDirectory, unsigned mode, long links, const std::string& owner,
                                  const std::string& group, unsigned long long size, std::time_t modified,
                                  const std::string& name);

    /// As `ls -l` writes a date, in the local time zone with English month abbreviations: "Mar  5 14:07" within
    /// the six months before `now`, "Mar  5  2020" for older dates and dates after `now`.
    static std::string formatDate(std::time_t when, std::time_t now = std::time(nullptr));
    /// "YYYYMMDDHHMMSS" in UTC, the time stamp of MDTM and of the modify fact.
    static std::string formatUtcTime(std::time_t when);

    /// `name` with the shell's wildcard characters escaped, so that as a pattern it matches itself only.
    static std::string escapedPattern(std::string_view name);

    /// The account name of `uid` from the user database, or the number itself when it has no name.
    static std::string ownerName(unsigned uid);
    /// The group name of `gid` from the group database, or the number itself when it has no name.
    static std::string groupName(unsigned gid);
};
