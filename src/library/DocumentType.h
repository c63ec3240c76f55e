#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"

/// What kind of document a file of the store is, so the viewer can pick the right renderer, and the readable
/// reason when it cannot be shown. The first bytes decide where they are telling (a PDF or image signature, an
/// HTML start); otherwise the name's extension, and valid UTF-8 without control characters (tabs and line breaks aside) reads as plain text.
class DocumentType {
public:
    enum class Kind { Pdf, Html, Text, Image, Unsupported };

    /// The error domain of the viewer's own failures.
    static constexpr const char* kErrorDomain = "VelkaroDocumentErrorDomain";
    enum ErrorCode { FileMissing = 1, IsFolder = 2, Unreadable = 3, UnsupportedType = 4, Damaged = 5 };

    /// Opens `path` and reads its start. Nothing, with `error` filled (if given), when it is missing, a folder or
    /// unreadable; an unsupported kind is a kind, not an error (see `unsupportedError`).
    static std::optional<Kind> kindOfFile(const std::string& path, Error* error);
    /// The kind for a file named `name` that begins with `head` (its first few kilobytes).
    static Kind kindOfContent(std::string_view head, std::string_view name);
    /// The lower-case extension of `name` without the dot ("" when it has none; a leading dot is no extension).
    static std::string extensionOf(std::string_view name);

    /// The failure to report for a kind the viewer does not show.
    static Error unsupportedError(const std::string& name);
    /// The failure to report when a file of a known kind turns out to be damaged (`what`: "PDF document", …).
    static Error damagedError(const std::string& name, const std::string& what);
};
