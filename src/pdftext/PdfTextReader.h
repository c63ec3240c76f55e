#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// The PDF text reader: a program of its own (velkaro-pdftext, beside the programs or in ../lib/velkaro) that the
// core starts once per document. poppler and the two dozen libraries it brings stay out of every other process,
// and a document that crashes poppler or never ends takes only that child with it.

/// What the reader found; Unreadable is the caller's verdict on a reader that crashed or ran out of its budget.
enum class PdfPagesStatus : int { Read = 0, Locked = 1, Damaged = 2, Unreadable = 3 };

/// Called once per page with text, in page order; `number` counts from 1, `text` is UTF-8 of `size` bytes.
using PdfPageSink = void (*)(void* context, int number, const char* text, std::size_t size);

/// Reads the text of every page of the PDF at `path`, handing each page that has any to `sink`. `stop` (if given)
/// is looked at between pages.
PdfPagesStatus velkaroPdfPages(const char* path, const std::atomic<bool>* stop, void* context, PdfPageSink sink);

/// What the reader writes to its standard output: per page a frame followed by `size` bytes of text, then one
/// frame with `number` -1 whose `size` is the PdfPagesStatus. A stream without that last frame was cut short.
struct PdfPageFrame {
    std::int32_t number = 0;
    std::uint32_t size = 0;
};

/// The reader's exit status when it could not allocate memory within its budget.
inline constexpr int kPdfReaderOutOfMemory = 3;
