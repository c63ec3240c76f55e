#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"

/// One queued write request of an `AsyncSocket`: shared bytes, or a span of an open file. The bytes are shared with
/// the caller, not copied; they are immutable through this reference, so the caller cannot change them while they
/// are being sent. A file is sent from the kernel's page cache (sendfile), or read and sent in pieces where the file
/// system refuses that.
class AsyncWritePacket {
public:
    /// `length` of a file request meaning "up to the end of the file".
    static constexpr std::uint64_t kToEndOfFile = std::numeric_limits<std::uint64_t>::max();

    AsyncWritePacket(std::shared_ptr<const std::string> buffer, double timeout, std::int32_t tag);
    AsyncWritePacket(UniqueFd file, off_t offset, std::uint64_t length, double timeout, std::int32_t tag);

    /// Every byte went out (for a file: the promised length, or everything up to its end).
    bool finished() const {
        return file ? (taken == length || atEnd) && stagedDone == staged.size() : bytesDone == buffer->size();
    }
    /// Bytes still to be taken from the file.
    std::uint64_t toTake() const { return length == kToEndOfFile ? length : length - taken; }

    std::shared_ptr<const std::string> buffer;  ///< never null; empty for a file
    std::size_t bytesDone = 0;                  ///< bytes already sent (wide enough for any buffer)
    std::uint64_t size;                         ///< bytes to send; for a file up to its end, its size when queued
    std::int32_t tag;
    double timeout;  ///< seconds; negative: none

    UniqueFd file;             ///< the file of a file request, else none
    off_t offset = 0;          ///< where the next byte is taken from the file
    std::uint64_t length = 0;  ///< bytes promised from the file, or kToEndOfFile
    std::uint64_t taken = 0;   ///< bytes taken from the file so far
    bool atEnd = false;        ///< the file ended (only expected up to its end)
    bool sendfileRefused = false;
    std::string staged;  ///< bytes read from the file and not all sent yet, when sendfile was refused
    std::size_t stagedDone = 0;
    bool startsTls = false;  ///< no bytes: the place in the queue where the TLS handshake runs
};
