#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "pdftext/PdfTextModule.h"

/// Loads the PDF text module on first use: beside the running program (a build tree) or in `../lib/velkaro`
/// from it (an installed tree). Thread-safe.
class PdfTextLoader {
public:
    struct Page {
        int number = 0;
        std::string text;
    };

    /// The pages of the PDF at `path` with text, or Damaged when the module cannot be loaded (logged once).
    static PdfPagesStatus pages(const std::string& path, const std::atomic<bool>* stop, std::vector<Page>* out);
};
