#include "library/PdfTextLoader.h"

#include "platform/Log.h"
#include "platform/ProgramModule.h"

namespace {

PdfPagesFunction loadModule() {
    std::string failure;
    if (void* entry = ProgramModule::symbol("velkaro-pdftext.so", kPdfPagesSymbol, &failure))
        return reinterpret_cast<PdfPagesFunction>(entry);
    logLine("cannot load the PDF text module, so PDFs are read as damaged: " + failure);
    return nullptr;
}

}  // namespace

PdfPagesStatus PdfTextLoader::pages(const std::string& path, const std::atomic<bool>* stop, std::vector<Page>* out) {
    static const PdfPagesFunction entry = loadModule();  // once, whichever thread asks first
    if (!entry) return PdfPagesStatus::Damaged;
    auto sink = [](void* context, int number, const char* text, std::size_t size) {
        static_cast<std::vector<Page>*>(context)->push_back({number, std::string(text, size)});
    };
    return entry(path.c_str(), stop, out, sink);
}
