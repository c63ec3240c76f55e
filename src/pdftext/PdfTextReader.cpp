#include "pdftext/PdfTextReader.h"

#include <memory>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page.h>
#include <string>

PdfPagesStatus velkaroPdfPages(const char* path, const std::atomic<bool>* stop, void* context, PdfPageSink sink) {
    // poppler reports every oddity of a damaged file on standard error; the caller records the outcome instead.
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
    if (!doc) return PdfPagesStatus::Damaged;
    if (doc->is_locked()) return PdfPagesStatus::Locked;
    const int count = doc->pages();
    for (int i = 0; i < count; ++i) {
        if (stop && stop->load()) break;
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        if (!page) continue;
        const poppler::byte_array utf8 = page->text().to_utf8();
        if (!utf8.empty()) sink(context, i + 1, utf8.data(), utf8.size());
    }
    return PdfPagesStatus::Read;
}
