// velkaro-pdftext PATH CPU-SECONDS MEMORY-BYTES: writes the text of the PDF at PATH to standard output as
// PdfPageFrame records, within the given processor time and address space. The limits are set here, before
// poppler reads a byte, because the parent starts this program with posix_spawn (safe in a threaded program),
// which cannot set them itself.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "pdftext/PdfTextReader.h"

namespace {

bool writeAll(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void sendPage(void*, int number, const char* text, std::size_t size) {
    const PdfPageFrame frame{number, static_cast<std::uint32_t>(size)};
    if (!writeAll(&frame, sizeof frame) || !writeAll(text, size)) std::_Exit(1);  // the parent stopped reading
}

void limit(int resource, rlim_t soft, rlim_t hard) {
    const rlimit value{soft, hard};
    ::setrlimit(resource, &value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const rlim_t cpu = std::strtoull(argv[2], nullptr, 10), memory = std::strtoull(argv[3], nullptr, 10);
    // Past the soft limit the kernel sends SIGXCPU, one second later SIGKILL.
    if (cpu > 0) limit(RLIMIT_CPU, cpu, cpu + 1);
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves terabytes of shadow memory up front
    if (memory > 0) limit(RLIMIT_AS, memory, memory);
#endif
    limit(RLIMIT_CORE, 0, 0);  // a crash here is expected of hostile files; no core file for each
    std::set_new_handler([] { std::_Exit(kPdfReaderOutOfMemory); });
    const PdfPagesStatus status = velkaroPdfPages(argv[1], nullptr, nullptr, sendPage);
    const PdfPageFrame end{-1, static_cast<std::uint32_t>(status)};
    return writeAll(&end, sizeof end) ? 0 : 1;
}
