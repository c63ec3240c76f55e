#pragma once
#include <ctime>
#include <string>
#include <string_view>

/// The long directory listing that LIST and NLST send, in the `ls -l` shape FTP clients parse:
/// "total N" CR LF, then one line per visible entry ending in LF alone.
class FtpListing {
public:
    FtpListing() = delete;

    /// Lists the entries of the directory `path` in the order the file system yields them, hidden names (leading
    /// ".") left out, without descending. A missing or unreadable directory gives "total 0" CR LF. Entries are
    /// described as themselves (a symbolic link is not followed). Never throws.
    static std::string createList(const std::string& path);
    /// The same for the directory open as `dirFd` (entries read relative to it); `path` names it in the log.
    static std::string createList(int dirFd, const std::string& path);

    /// One listing line (without its LF) from the already gathered attributes; `isDirectory` picks the type letter,
    /// the nine low bits of `mode` the permission letters, `links` below 1 shows as 1.
    static std::string formatLine(bool isDirectory, unsigned mode, long links, const std::string& owner,
                                  const std::string& group, unsigned long long size, std::time_t modified,
                                  const std::string& name);

    /// "MMM dd HH:mm" in the local time zone with English month abbreviations, no year.
    static std::string formatDate(std::time_t when);

    /// The account name of `uid` from the user database, or the number itself when it has no name.
    static std::string ownerName(unsigned uid);
    /// The group name of `gid` from the group database, or the number itself when it has no name.
    static std::string groupName(unsigned gid);
};
