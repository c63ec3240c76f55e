#include "ftp/FtpLineSplitter.h"

#include <utility>

FtpLineSplitter::FtpLineSplitter(std::size_t maxLineLength, std::function<void(std::string_view)> onLine,
                                 std::function<void()> onOverflow)
    : maxLineLength_(maxLineLength), onLine_(std::move(onLine)), onOverflow_(std::move(onOverflow)) {}

void FtpLineSplitter::release() {
    held_ = false;
    // Cut in place: a callback that holds again leaves the rest where it is, without copying it.
    std::string_view rest = std::string_view(kept_).substr(keptAt_);
    cut(rest);
    keptAt_ = kept_.size() - rest.size();
    if (rest.empty() || stopped_) {
        kept_.clear();
        keptAt_ = 0;
    }
}

void FtpLineSplitter::feed(std::string_view bytes) {
    cut(bytes);
    if (held_ && !stopped_) kept_.append(bytes);
}

void FtpLineSplitter::discardPending() {
    pending_.clear();
    kept_.clear();
    keptAt_ = 0;
    discarding_ = false;
    ++discards_;
}

void FtpLineSplitter::cut(std::string_view& bytes) {
    const unsigned discards = discards_;
    while (!bytes.empty() && !stopped_ && !held_ && discards == discards_) {
        size_t lf = bytes.find('\n');
        std::string_view chunk = lf == std::string_view::npos ? bytes : bytes.substr(0, lf + 1);
        bytes.remove_prefix(chunk.size());
        if (discarding_) {
            if (lf != std::string_view::npos) discarding_ = false;
            continue;
        }
        if (pending_.size() + chunk.size() > maxLineLength_ + 2) {
            pending_.clear();
            pending_.shrink_to_fit();
            discarding_ = lf == std::string_view::npos;
            if (onOverflow_) onOverflow_();
            continue;
        }
        pending_.append(chunk);
        if (lf == std::string_view::npos) continue;
        std::string line;
        line.swap(pending_);
        // The line ends in CR LF as the protocol asks, or in a bare LF as some clients send: drop exactly that,
        // never a byte of the command itself.
        line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        onLine_(line);
    }
    if (discards != discards_) bytes = {};
}
