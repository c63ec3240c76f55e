#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

/// One queued write request of an `AsyncSocket`. The bytes are shared with the caller, not copied; they are
/// immutable through this reference, so the caller cannot change them while they are being sent.
class AsyncWritePacket {
public:
    AsyncWritePacket(std::shared_ptr<const std::string> buffer, double timeout, std::int32_t tag);

    std::shared_ptr<const std::string> buffer;  ///< never null
    std::size_t bytesDone = 0;                  ///< bytes already sent (wide enough for any buffer)
    std::int32_t tag;
    double timeout;  ///< seconds; negative: none
};
