#pragma once
#include <cstdint>
#include <string>

/// How far one file's transfer has come, as the server tells whoever shows its traffic.
struct FtpTransferProgress {
    std::string fileName;     ///< the name the client gave
    bool upload = false;      ///< the client sends (STOR, APPE); false for a download (RETR)
    std::uint64_t bytes = 0;  ///< moved so far in this transfer
    std::uint64_t total = 0;  ///< a download's size (from its restart point); 0 for an upload, whose size is unknown
    bool finished = false;    ///< the transfer is over, complete or not: the last report of it
};

/// What the FTP server tells the screen that shows it (the transfer screen). Every message is optional: the
/// defaults do nothing, so a receiver overrides only what it shows. Messages arrive on the run loop's thread.
class FtpNotificationReceiver {
public:
    virtual ~FtpNotificationReceiver() = default;

    /// A stored file was closed, or a delete or rename succeeded.
    virtual void didReceiveFileListChanged() {}
    /// A write on a control connection completed (a reply or the greeting); data transfers do not count.
    virtual void didDataSend() {}
    /// A command line was read on a control connection.
    virtual void didDataReceived() {}
    /// A file transfer started, moved bytes (an upload after each chunk written) or ended.
    virtual void didTransferProgress(const FtpTransferProgress&) {}
};
