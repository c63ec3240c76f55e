#include "ftp/FtpCommandLine.h"

#include <gtest/gtest.h>

TEST(FtpCommandLine, LinesAreCheckedTrimmedAndSplit) {
    using P = FtpCommandLine::Problem;
    struct Case {
        std::string line;
        P problem;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"NOOP", P::none, {"NOOP"}},
        {"STOR my  file.pdf", P::none, {"STOR", "my", "", "file.pdf"}},
        {"\x0bLIST\xE2\x80\xA8", P::none, {"LIST"}},  // newline characters go at both ends, blanks stay
        {" NOOP\t", P::none, {"", "NOOP\t"}},
        {"RETR \xC3\xA9t\xC3\xA9.pdf", P::none, {"RETR", "\xC3\xA9t\xC3\xA9.pdf"}},
        {"RETR caf\xE9.txt", P::none, {"RETR", "caf\xE9.txt"}},  // a Latin-1 name, as bytes on disk
        {"NO\xFFOP x", P::notUtf8, {}},                           // only the command word must be text
        {"STOR x\r226 Transfer complete.", P::carriageReturn, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FtpCommandLine::problemWith(c.line), c.problem) << c.line;
        if (c.problem == P::none)
            EXPECT_EQ(FtpCommandLine::split(FtpCommandLine::trimNewlines(c.line), ' '), c.words) << c.line;
    }
}

TEST(FtpCommandLine, NamesAreRebuiltAndOptionsDropped) {
    struct Case {
        std::vector<std::string> words;
        std::string name;
    };
    const Case cases[] = {
        {{"LIST"}, ""},
        {{"LIST", "-la"}, ""},
        {{"LIST", "-la", "Books"}, "Books"},
        {{"NLST", "-l", "my", "file"}, "my file"},
        {{"STOR", "-notes.pdf"}, "-notes.pdf"},
        {{"stor", "my", "file.pdf"}, "my file.pdf"},
        {{"RETR", "my", "", "file.pdf"}, "my  file.pdf"},
        {{"Dele", "-x"}, "-x"},
        {{"RNTO", "a", "b", ""}, "a b "},
    };
    for (const auto& c : cases) EXPECT_EQ(FtpCommandLine::fileNameFromArgs(c.words), c.name) << c.words[0];
    EXPECT_EQ(FtpCommandLine::joinWords({"CWD", "a b"}), "(CWD, a b)");
}

TEST(FtpCommandLine, DataPortsAreBytesAndNeverPrivileged) {
    const std::string zeros16 = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1";
    struct Case {
        unsigned (*parse)(std::string_view);
        std::string argument;
        unsigned port;
    };
    const Case cases[] = {
        {FtpCommandLine::portFromPort, "192,168,1,5,19,137", 5001},
        {FtpCommandLine::portFromPort, "127,0,0,1,255,255", 65535},
        {FtpCommandLine::portFromPort, "127,0,0,1,16777216,21", 0},  // would wrap to 21
        {FtpCommandLine::portFromPort, "127,0,0,1,0,21", 0},         // a service port
        {FtpCommandLine::portFromPort, "127,0,0,1,3,255", 0},        // 1023, the last of them
        {FtpCommandLine::portFromPort, "127,0,0,1,4,0", 1024},
        {FtpCommandLine::portFromPort, "127,0,0,1,-1,300", 0},
        {FtpCommandLine::portFromPort, "127,0,0,1, 4,1", 0},
        {FtpCommandLine::portFromPort, "127,0,0,1,4", 0},
        {FtpCommandLine::portFromPort, "127,0,0,1,4,1,9", 0},
        {FtpCommandLine::portFromLprt, "6,16," + zeros16 + ",2,19,137", 5001},
        {FtpCommandLine::portFromLprt, "6,16," + zeros16 + ",2,2147483647,21", 0},
        {FtpCommandLine::portFromLprt, "4,4,127,0,0,1,2,19,137", 0},
        {FtpCommandLine::portFromEprt, "|1|192.168.1.5|5001|", 5001},
        {FtpCommandLine::portFromEprt, "|2|::1|65535|", 65535},
        {FtpCommandLine::portFromEprt, "|1|127.0.0.1|21|", 0},
        {FtpCommandLine::portFromEprt, "|1|127.0.0.1|65536|", 0},
        {FtpCommandLine::portFromEprt, "|1|127.0.0.1|2147483648|", 0},
        {FtpCommandLine::portFromEprt, "|1|127.0.0.1", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.parse(c.argument), c.port) << c.argument;
    EXPECT_EQ(FtpCommandLine::plainAddress("::ffff:10.0.0.1"), "10.0.0.1");
    EXPECT_EQ(FtpCommandLine::plainAddress("::1"), "::1");
}
