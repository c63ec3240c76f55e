#include "library/PdfTextLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/Log.h"

namespace {

constexpr const char* kModuleName = "velkaro-pdftext.so";

PdfPagesFunction loadModule() {
    std::error_code error;
    const auto dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    std::string failure = "cannot find the running program";
    if (!error)
        for (const auto& candidate : {dir / kModuleName, dir / ".." / "lib" / "velkaro" / kModuleName}) {
            void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!module) {
                failure = ::dlerror();
                continue;
            }
            if (auto entry = reinterpret_cast<PdfPagesFunction>(::dlsym(module, kPdfPagesSymbol))) return entry;
            failure = candidate.string() + " has no " + kPdfPagesSymbol;
        }
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
