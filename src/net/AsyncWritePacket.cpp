#include "net/AsyncWritePacket.h"

#include <sys/stat.h>

AsyncWritePacket::AsyncWritePacket(std::shared_ptr<const std::string> buffer, double timeout, std::int32_t tag)
    : buffer(buffer ? std::move(buffer) : std::make_shared<const std::string>()),
      size(this->buffer->size()),
      tag(tag),
      timeout(timeout) {}

AsyncWritePacket::AsyncWritePacket(UniqueFd file, off_t offset, std::uint64_t length, double timeout, std::int32_t tag)
    : buffer(std::make_shared<const std::string>()),
      size(length),
      tag(tag),
      timeout(timeout),
      file(std::move(file)),
      offset(offset),
      length(length) {
    struct stat st {};
    if (length == kToEndOfFile)
        size = ::fstat(this->file.get(), &st) == 0 && st.st_size > offset ? std::uint64_t(st.st_size - offset) : 0;
}
