#include "ftp/FtpLineSplitter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> split(const std::vector<std::string>& pieces, size_t max = 64) {
    std::vector<std::string> out;
    FtpLineSplitter s(max, [&](std::string_view l) { out.emplace_back(l); }, [&] { out.emplace_back("<overflow>"); });
    for (const auto& p : pieces) s.feed(p);
    return out;
}

}  // namespace

TEST(FtpLineSplitter, CutsAtLineEndsWhateverThePieces) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{"NOOP\r\n"}, {"NOOP"}},
        {{"USER a\r\nPASS b\r\n"}, {"USER a", "PASS b"}},
        {{"US", "ER a\r", "\n"}, {"USER a"}},
        {{"NOOP\n"}, {"NOOP"}},  // a bare LF ends a line too, and takes no byte of the command with it
        {{"DELE ab\n", "RMD x2\n"}, {"DELE ab", "RMD x2"}},
        {{"STOR x\r226 Transfer complete.\r\n"}, {"STOR x\r226 Transfer complete."}},  // refused by the caller
        {{"\r\n", "\n", "x\n"}, {"", "", "x"}},
        {{"PWD"}, {}},  // no line end yet: nothing handled
        {{std::string(64, 'a') + "\r\n"}, {std::string(64, 'a')}},
    };
    for (const auto& c : cases) EXPECT_EQ(split(c.pieces), c.lines);
}

TEST(FtpLineSplitter, OverLongLinesAreDroppedOnceAndTheNextLineStillWorks) {
    const std::string big(65, 'a');
    EXPECT_EQ(split({big + "\r\nNOOP\r\n"}), (std::vector<std::string>{"<overflow>", "NOOP"}));
    // Endless bytes without a line end: reported once, nothing kept, the line after the eventual LF is handled.
    std::vector<std::string> pieces(1000, std::string(100, 'x'));
    pieces.push_back("\r\nPWD\r\n");
    EXPECT_EQ(split(pieces), (std::vector<std::string>{"<overflow>", "PWD"}));
}

TEST(FtpLineSplitter, StopAndDiscardFromInsideALine) {
    // Stop (QUIT) ignores the rest of the piece and everything after; discarding (what followed AUTH TLS in clear
    // never becomes a command) drops the rest of the piece and the unfinished line, while lines fed later count.
    struct Row {
        const char* trigger;
        bool stop;  // else discardPending
        std::vector<std::string> want;
    };
    for (const Row& row : {Row{"QUIT", true, {"NOOP", "QUIT"}}, Row{"AUTH TLS", false, {"NOOP", "AUTH TLS", "PWD"}}}) {
        std::vector<std::string> out;
        FtpLineSplitter* self = nullptr;
        FtpLineSplitter s(
            64,
            [&](std::string_view l) {
                out.emplace_back(l);
                if (l == row.trigger) row.stop ? self->stop() : self->discardPending();
            },
            nullptr);
        self = &s;
        s.feed(std::string("NOOP\r\n") + row.trigger + "\r\nDELE x\r\nRMD");
        s.feed("PWD\r\n");
        EXPECT_EQ(out, row.want) << row.trigger;
    }
}
