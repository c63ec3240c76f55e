#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "pdftext/PdfTextReader.h"

/// Reads a PDF's text in a child process, the reader program velkaro-pdftext, bounded in processor time, memory
/// and wall-clock time: a document that crashes poppler or never ends costs that child, never the window, a
/// server or an index run. Thread-safe; the child is started with posix_spawn, which is safe in a threaded
/// program.
class PdfTextLoader {
public:
    struct Page {
        int number = 0;
        std::string text;
    };
    /// What one document may cost.
    struct Budget {
        int cpuSeconds = 10;
        long long memoryBytes = 1LL << 30;  ///< address space, poppler's libraries included
        double wallSeconds = 30;            ///< a reader blocked on a slow disk, say
        std::size_t textBytes = 64u << 20;  ///< text handed back, all pages together
    };

    /// The pages of the PDF at `path` with text. Unreadable, with `reason` saying why, when the reader crashed,
    /// ran out of its budget or cannot be started; `stop` (if given) ends the child early.
    static PdfPagesStatus pages(const std::string& path, const std::atomic<bool>* stop, std::vector<Page>* out,
                                std::string* reason);

    /// Replaces the reader program and the budget ("" program: the installed reader); tests use a reader that
    /// faults on purpose and a budget of a second. Not to be called while documents are read.
    static void configure(std::string program, Budget budget);
};
