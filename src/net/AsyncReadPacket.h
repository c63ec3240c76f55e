#pragma once
#include <cstdint>
#include <optional>
#include <string>

/// One queued read request of an `AsyncSocket`, recorded as it was made. Delivery of received bytes only uses
/// `tag` and `timeout`: every chunk goes to the delegate as it arrives, whatever the terminator or length.
class AsyncReadPacket {
public:
    /// `buffer` is empty for terminator and read-all requests and `length` zero bytes for length requests;
    /// `term` is copied; `maxLength` is -1 for "no bound". `bytesDone` starts at 0.
    AsyncReadPacket(std::string buffer, double timeout, std::int32_t tag, bool readAllAvailable,
                    std::optional<std::string> term, std::int32_t maxLength);

    std::string buffer;
    std::int32_t bytesDone = 0;
    double timeout;  ///< seconds; negative: none
    std::int32_t maxLength;
    std::int32_t tag;
    std::optional<std::string> term;
    bool readAllAvailableData;
};
