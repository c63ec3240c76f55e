#pragma once
#include <sys/stat.h>

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

/// The validators of a file the web page serves (an ETag and its Last-Modified date) and the conditional requests
/// they answer: `wget -N` and browsers ask If-Modified-Since or If-None-Match and get 304 when nothing changed; a
/// resumed download asks If-Range and gets the rest only of the version it began.
class WebValidators {
public:
    WebValidators(const struct stat& st);

    /// A strong entity tag: the file's inode, size and modification time in nanoseconds (an upload puts a new
    /// file in place, so any new version differs in at least one).
    const std::string& etag() const { return etag_; }
    /// The modification time as an HTTP date.
    const std::string& lastModified() const { return lastModified_; }

    /// Whether a GET or HEAD with these headers (empty when absent) is answered 304: If-None-Match decides when
    /// present (a list of tags or "*", compared weakly), else If-Modified-Since (a date at or after the file's).
    bool notModified(std::string_view ifNoneMatch, std::string_view ifModifiedSince) const;
    /// Whether a Range may be honoured under `ifRange` (empty when absent): the current tag, or exactly the
    /// current date; otherwise the whole file goes out.
    bool rangeApplies(std::string_view ifRange) const;

    /// `when` as an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"), whatever the locale.
    static std::string httpDate(std::time_t when);
    /// An HTTP date in its preferred form (the obsolete forms are not taken); nothing when it is not one.
    static std::optional<std::time_t> parseHttpDate(std::string_view text);

private:
    std::string etag_;
    std::string lastModified_;
    std::time_t modified_;
};
