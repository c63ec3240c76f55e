#pragma once
#include <cstdint>

/// One queued read request of an `AsyncSocket`. While it is current, every chunk received goes to the delegate as
/// it arrived, with `tag`; nothing is split, joined or held back.
struct AsyncReadPacket {
    double timeout;  ///< seconds; negative: none
    std::int32_t tag;
};
