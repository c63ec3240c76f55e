// Stands in for the PDF text reader (velkaro-pdftext PATH CPU MEMORY) and misbehaves as poppler might on a hostile
// file: on a name with "flood" it sends more text than any document has, else it crashes half-way through its
// output. The index must record the document as unreadable and carry on.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "pdftext/PdfTextReader.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strstr(argv[1], "flood")) {
        const std::string text(2 << 20, 'x');
        const PdfPageFrame page{1, static_cast<std::uint32_t>(text.size())}, end{-1, 0};
        std::fwrite(&page, sizeof page, 1, stdout);
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fwrite(&end, sizeof end, 1, stdout);
        return 0;
    }
    std::fputs("half a frame", stdout);  // output cut short, as a crash mid-document leaves it
    std::fflush(stdout);
    std::signal(SIGSEGV, SIG_DFL);  // a sanitizer's handler would turn the fault into an exit status
    std::raise(SIGSEGV);
    return 0;
}
