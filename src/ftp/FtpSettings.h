#pragma once
#include <string>

#include "ftp/FtpNotificationReceiver.h"
#include "ftp/FtpPathResolver.h"

/// What every connection of one server shares and reads, never changes: where clients are confined, the text
/// encoding, and who hears of the traffic.
struct FtpSettings {
    /// The `clientEncoding` value meaning UTF-8 (the only one there is).
    static constexpr int kUTF8Encoding = 4;

    explicit FtpSettings(const std::string& baseDir, FtpNotificationReceiver* notify = nullptr)
        : paths(baseDir), notify(notify) {}

    FtpPathResolver paths;
    int clientEncoding = kUTF8Encoding;
    FtpNotificationReceiver* notify;  ///< may be null; not owned

    void fileListChanged() const {
        if (notify) notify->didReceiveFileListChanged();
    }
    void dataSent() const {
        if (notify) notify->didDataSend();
    }
    void dataReceived() const {
        if (notify) notify->didDataReceived();
    }
};
