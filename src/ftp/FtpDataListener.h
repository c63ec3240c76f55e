#pragma once
#include <cstdint>
#include <optional>

#include "platform/Error.h"

/// What a data connection reports to the control connection that owns it.
class FtpDataListener {
public:
    /// One outgoing transfer's last byte is out.
    virtual void dataTransferSent() = 0;
    /// An upload has `written` bytes in its file so far (told after each chunk).
    virtual void dataReceived(std::uint64_t /*written*/) {}
    /// The data connection closed: the client ended an upload, went away, or the transfer failed (`error`).
    virtual void dataConnectionClosed(const std::optional<Error>& error) = 0;

protected:
    ~FtpDataListener() = default;
};
