#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ftp/AtomicUpload.h"

class FtpPathResolver;

/// One document arriving by HTTP: its bytes go straight to disk as they come, into the same atomic upload the FTP
/// server uses, so the document appears whole when the request ends well and nothing is left when it does not
/// (the destructor of an unfinished upload removes its temporary file).
class WebUpload {
public:
    /// Prepares `name` (a document's path) beneath `paths`' base, refusing at once what cannot work: a declared
    /// size above the free space (507), a folder of that name (409), a name leading out (403), and with
    /// `onlyIfNew` a name that is taken (412), which is refused at the commit too if it was taken meanwhile.
    WebUpload(const FtpPathResolver& paths, const std::string& name, std::optional<std::uint64_t> declaredSize,
              bool onlyIfNew = false);

    /// 0 while all is well, else the HTTP status of the failure, with `message` for the person uploading.
    unsigned failure() const { return failure_; }
    const std::string& message() const { return message_; }

    /// Appends `size` bytes. After a failure the rest of the body is read and dropped, so the client still gets
    /// the answer that says why.
    void write(const char* data, std::size_t size);
    /// Puts the document in place: 201 when it is new, 200 when it replaced one, or the failure's status.
    unsigned commit();
    std::uint64_t size() const { return written_; }

private:
    void fail(unsigned status, std::string message);

    std::unique_ptr<AtomicUpload> file_;
    const FtpPathResolver& paths_;
    std::string name_;
    bool onlyIfNew_;
    std::uint64_t written_ = 0;
    unsigned failure_ = 0;
    std::string message_;
};
