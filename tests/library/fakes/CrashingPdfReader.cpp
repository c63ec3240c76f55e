// Stands in for the PDF text reader (velkaro-pdftext PATH CPU MEMORY) and dies as poppler might on a hostile
// file: the index must record the document as unreadable and carry on.
#include <csignal>
#include <cstdio>

int main() {
    std::fputs("half a frame", stdout);  // output cut short, as a crash mid-document leaves it
    std::fflush(stdout);
    std::raise(SIGSEGV);
    return 0;
}
