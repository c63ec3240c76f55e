#include "net/AsyncReadPacket.h"

AsyncReadPacket::AsyncReadPacket(std::string buffer, double timeout, std::int32_t tag, bool readAllAvailable,
                                 std::optional<std::string> term, std::int32_t maxLength)
    : buffer(std::move(buffer)),
      timeout(timeout),
      maxLength(maxLength),
      tag(tag),
      term(std::move(term)),
      readAllAvailableData(readAllAvailable) {}
