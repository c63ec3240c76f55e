#include "library/TextExtractor.h"

#include <fcntl.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "library/DocumentType.h"
#include "library/PdfTextLoader.h"
#include "platform/UniqueFd.h"

namespace {

// Reads the whole file (texts up to `limit` bytes), hashing every byte; false when it cannot be read.
bool readFile(const std::string& path, std::size_t limit, std::string* content, std::string* hash) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) return false;
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(), XXH3_freeState);
    XXH3_64bits_reset(state.get());
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        XXH3_64bits_update(state.get(), buffer, static_cast<size_t>(n));
        if (content && content->size() < limit)
            content->append(buffer, std::min(static_cast<size_t>(n), limit - content->size()));
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(XXH3_64bits_digest(state.get())));
    *hash = hex;
    return true;
}

// HTML is indexed by its words: tags, and the contents of scripts and styles, are dropped.
std::string textOfHtml(const std::string& html) {
    std::string out;
    out.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] != '<') {
            out += html[i++];
            continue;
        }
        size_t close = html.find('>', i);
        if (close == std::string::npos) break;
        std::string tag = html.substr(i + 1, std::min<size_t>(close - i - 1, 6));
        for (auto& c : tag) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        i = close + 1;
        for (const char* skipped : {"script", "style"})
            if (tag.rfind(skipped, 0) == 0) {
                size_t end = html.find(std::string("</") + skipped, i);
                i = end == std::string::npos ? html.size() : end;
            }
        out += ' ';
    }
    return out;
}

// Line and page breaks, tabs and runs of blanks become one blank, so a snippet is one line of words.
std::string oneLine(std::string text) {
    size_t out = 0;
    bool blank = true;  // drops leading blanks
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') {
            if (!blank) text[out++] = ' ';
            blank = true;
        } else {
            text[out++] = c;
            blank = false;
        }
    }
    text.resize(out > 0 && blank ? out - 1 : out);
    return text;
}

}  // namespace

std::string TextExtractor::hashOfFile(const std::string& path) {
    std::string hash;
    return readFile(path, 0, nullptr, &hash) ? hash : "";
}

TextExtractor::Result TextExtractor::extract(const std::string& path, const std::atomic<bool>* stop) {
    Result result;
    std::string head;
    if (!readFile(path, 4096, &head, &result.hash)) {
        result.readable = false;
        return result;
    }
    auto slash = path.rfind('/');
    switch (DocumentType::kindOfContent(head, slash == std::string::npos ? path : path.substr(slash + 1))) {
        case DocumentType::Kind::Pdf: {
            std::vector<PdfTextLoader::Page> pages;
            const PdfPagesStatus status = PdfTextLoader::pages(path, stop, &pages, &result.reason);
            if (status != PdfPagesStatus::Read) {
                result.status = status == PdfPagesStatus::Locked     ? TextStatus::Locked
                                : status == PdfPagesStatus::Unreadable ? TextStatus::Unreadable
                                                                       : TextStatus::Damaged;
                break;
            }
            for (auto& page : pages) {
                std::string text = oneLine(std::move(page.text));
                if (!text.empty()) result.pages.push_back({page.number, std::move(text)});
            }
            result.status = result.pages.empty() ? TextStatus::NoText : TextStatus::Text;
            break;
        }
        case DocumentType::Kind::Text:
        case DocumentType::Kind::Html: {
            std::string content, hash;
            if (!readFile(path, kTextLimit, &content, &hash)) {
                result.readable = false;
                break;
            }
            result.hash = hash;  // the file may have changed between the two reads: the text is what counts
            bool html = DocumentType::kindOfContent(content.substr(0, 4096), path) == DocumentType::Kind::Html;
            result.pages.push_back({0, oneLine(html ? textOfHtml(content) : std::move(content))});
            result.status = TextStatus::Text;
            break;
        }
        case DocumentType::Kind::Image:
        case DocumentType::Kind::Unsupported:
            result.status = TextStatus::NoText;
            break;
    }
    return result;
}
