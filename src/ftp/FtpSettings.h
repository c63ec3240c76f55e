#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "ftp/FtpNotificationReceiver.h"
#include "ftp/FtpPathResolver.h"

class TlsContext;

/// The owner's limits on who may do what. The defaults are the transfer screen's: anyone, read-write, no limits.
struct FtpOptions {
    std::string bindAddress;                 ///< "" for every address
    bool readOnly = false;                   ///< listing and downloads only
    std::string user;                        ///< "" lets anyone in, with any name and password
    std::string password;                    ///< the password of `user`
    unsigned passivePortLow = 0;             ///< the passive port range; 0 for any port
    unsigned passivePortHigh = 0;
    std::size_t maxClients = 0;              ///< control connections at once; 0 for no limit
    std::size_t maxPerAddress = 0;           ///< control connections at once from one address; 0 for no limit
    double idleTimeout = 0;                  ///< seconds a control connection may wait between commands; 0: forever
    double loginTimeout = 0;                 ///< seconds from connecting to logging in; 0: forever
    double transferTimeout = 0;              ///< seconds a transfer may move no byte before it is closed; 0: forever
    std::size_t maxUnsentReplyBytes = 256 << 10;  ///< past this, a client's commands wait until it reads its replies
    std::shared_ptr<TlsContext> tls;         ///< offers AUTH TLS (explicit FTPS) with this server context; null: not
    bool requireTls = false;                 ///< with `tls`: no login and no transfer in clear
};

/// What every connection of one server shares and reads, never changes: where clients are confined, the text
/// encoding, the owner's limits, and who hears of the traffic.
struct FtpSettings {
    /// The `clientEncoding` value meaning UTF-8 (the only one there is).
    static constexpr int kUTF8Encoding = 4;

    explicit FtpSettings(const std::string& baseDir, FtpNotificationReceiver* notify = nullptr,
                         FtpOptions options = {})
        : paths(baseDir), notify(notify), options(std::move(options)) {}

    FtpPathResolver paths;
    int clientEncoding = kUTF8Encoding;
    FtpNotificationReceiver* notify;  ///< may be null; not owned
    FtpOptions options;

    void fileListChanged() const {
        if (notify) notify->didReceiveFileListChanged();
    }
    void dataSent() const {
        if (notify) notify->didDataSend();
    }
    void dataReceived() const {
        if (notify) notify->didDataReceived();
    }
    void transferProgress(const FtpTransferProgress& progress) const {
        if (notify) notify->didTransferProgress(progress);
    }
};
