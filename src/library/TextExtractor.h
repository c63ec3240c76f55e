#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

/// What the index knows of a document's text.
enum class TextStatus {
    Text = 0,     ///< pages of text were found
    NoText = 1,   ///< a picture-only (scanned) PDF, an image or another kind without text
    Locked = 2,   ///< a PDF that needs a password
    Damaged = 3,  ///< a PDF that cannot be read
    Unreadable = 4,  ///< the reader crashed on a PDF or ran out of its budget; the index keeps the reason
};

/// The text of one document: PDF pages through the reader program (page numbers from 1, see PdfTextLoader), the whole of a plain-text or HTML
/// file as page 0. Safe to use from a worker thread: it touches nothing but the file it reads.
class TextExtractor {
public:
    struct Page {
        int number = 0;
        std::string text;
    };
    struct Result {
        TextStatus status = TextStatus::NoText;
        std::vector<Page> pages;
        std::string hash;  ///< the content hash of the bytes read, "" when the file could not be read
        bool readable = true;
        std::string reason;  ///< why an Unreadable PDF could not be read
    };

    /// Text files beyond this many bytes are indexed by their start only.
    static constexpr std::size_t kTextLimit = 16 * 1024 * 1024;

    /// Reads the file at `path` and extracts its text. Never throws; a file that vanished or cannot be read gives
    /// `readable == false`. `stop` (if given) is looked at between pages: a set flag ends the work early, and the
    /// result is then incomplete and must be dropped.
    static Result extract(const std::string& path, const std::atomic<bool>* stop = nullptr);
    /// The content hash of `path` (64-bit XXH3 in hex), or "" when it cannot be read.
    static std::string hashOfFile(const std::string& path);
};
