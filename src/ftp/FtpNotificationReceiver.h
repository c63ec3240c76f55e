#pragma once

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
};
