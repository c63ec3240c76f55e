#include "net/AsyncWritePacket.h"

AsyncWritePacket::AsyncWritePacket(std::shared_ptr<const std::string> buffer, double timeout, std::int32_t tag)
    : buffer(buffer ? std::move(buffer) : std::make_shared<const std::string>()), tag(tag), timeout(timeout) {}
