#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FtpPathResolver;

/// What the web page shows of the documents folder: the documents and folders of one of its folders, and the paths
/// a request may name. Files are reached only through the FTP server's path resolver, so the page is confined
/// exactly as FTP.
class WebDocuments {
public:
    struct Document {
        std::string name;
        std::uint64_t size = 0;
        std::int64_t mtime = 0;  ///< seconds since the epoch
        bool folder = false;
    };

    /// The document name a request path segment stands for, percent-escapes decoded; nothing for a name that is
    /// not one document of the top level: empty, "." or "..", hidden (a leading dot, as upload temporaries are),
    /// holding a slash, a NUL or another control character, a bad escape, or not UTF-8.
    static std::optional<std::string> nameFromSegment(std::string_view segment);
    /// The path (relative to the base, "" for the base) that request path segments joined by "/" stand for, each
    /// one a name as `nameFromSegment` takes it; one trailing "/" is allowed (a folder). Nothing when one is not.
    static std::optional<std::string> pathFromSegments(std::string_view segments);

    /// The regular files and folders (links inside the base followed) in `folder` beneath the base, by name; hidden
    /// names and names that are not UTF-8 left out. Nothing when `folder` is not a folder there.
    static std::optional<std::vector<Document>> list(const FtpPathResolver& paths, const std::string& folder = "");
    /// `documents` as a JSON array of {"name", "size", "mtime"}, with "folder": true for folders.
    static std::string toJson(const std::vector<Document>& documents);

    /// The media type a browser should be told for `name`, by its extension.
    static const char* contentType(std::string_view name);
    /// A Content-Disposition value naming `name` for any browser (RFC 6266 with a UTF-8 filename*).
    static std::string attachment(std::string_view name);
};
