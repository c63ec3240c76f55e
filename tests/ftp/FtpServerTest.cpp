#include "ftp/FtpServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "ftp/FtpTestClient.h"
#include "platform/Format.h"

namespace fs = std::filesystem;

namespace {

struct Counts : FtpNotificationReceiver {
    int fileListChanged = 0, sent = 0, received = 0;
    void didReceiveFileListChanged() override { ++fileListChanged; }
    void didDataSend() override { ++sent; }
    void didDataReceived() override { ++received; }
};

std::string bytesOfSize(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return s;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A base folder "docs" (a.pdf, Books/ with two files) beside a sibling "docs2" and a secret outside both; a
// server on a free loopback port; a logged-in client.
class FtpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-ftp-XXXXXX").string();
        root_ = fs::canonical(::mkdtemp(tmpl.data())).string();
        base_ = root_ + "/docs";
        fs::create_directories(base_ + "/Books");
        fs::create_directories(root_ + "/docs2");
        write(root_ + "/secret", "secret");
        write(base_ + "/a.pdf", "hello");
        write(base_ + "/Books/one.pdf", "1");
        write(base_ + "/Books/two.pdf", "22");
        fs::create_symlink(root_, base_ + "/out-link");
        server_ = std::make_unique<FtpServer>(0, base_, &counts_);
        ASSERT_TRUE(server_->isListening());
        port_ = server_->localPort();
        ASSERT_TRUE(client_.open(port_));
        ASSERT_EQ(client_.reply(), "220 Qelmot server ready.");
    }

    void TearDown() override {
        client_.close();
        server_.reset();
        for (int i = 0; i < 20; ++i) RunLoop::main().runOnce(0);
        fs::remove_all(root_);
    }

    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // PASV, then a connected data socket (-1 on failure).
    int passive(FtpTestClient& c) {
        std::string r = c.command("PASV");
        std::smatch m;
        std::regex re(R"(^227 Entering Passive Mode \((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)$)");
        if (!std::regex_match(r, m, re)) {
            ADD_FAILURE() << r;
            return -1;
        }
        int port = std::stoi(m[5]) * 256 + std::stoi(m[6]);
        return FtpTestClient::connectTo(static_cast<std::uint16_t>(port));
    }
    int passive() { return passive(client_); }

    // A transfer command on a fresh passive connection: the data received and the two replies.
    struct Transfer {
        std::string first, data, last;
    };
    Transfer passiveDownload(const std::string& cmd) {
        int fd = passive();
        Transfer t;
        t.first = client_.command(cmd);
        if (t.first.substr(0, 4) == "150 ") {  // else no transfer follows
            t.data = FtpTestClient::readUntilClosed(fd);
            t.last = client_.reply();
        }
        ::close(fd);
        return t;
    }
    Transfer passiveUpload(const std::string& cmd, const std::string& bytes) {
        int fd = passive();
        Transfer t;
        t.first = client_.command(cmd);
        if (t.first.substr(0, 4) == "150 ") {
            EXPECT_TRUE(FtpTestClient::sendAll(fd, bytes));
            ::shutdown(fd, SHUT_WR);
            t.last = client_.reply();
        }
        ::close(fd);
        return t;
    }

    Counts counts_;
    std::string root_, base_;
    std::unique_ptr<FtpServer> server_;
    std::uint16_t port_ = 0;
    FtpTestClient client_;
};

struct Exchange {
    std::string command, reply;
};

void expectReplies(FtpTestClient& client, const std::vector<Exchange>& script) {
    for (const auto& e : script) EXPECT_EQ(client.command(e.command), e.reply) << e.command;
}

}  // namespace

TEST_F(FtpServerTest, SessionCommandsAnswerWithTheirFixedTexts) {
    expectReplies(client_, {
        {"noop", "200 NOOP command successful."},
        {"NoOp", "200 NOOP command successful."},
        {"PASS secret", "230 User anonymous logged in."},
        {"USER bob", "331 Password required for bob"},
        {"user Alice", "331 Password required for Alice"},
        {"PASS x", "230 User Alice logged in."},
        {"SYST", "215 UNIX Type: L8 Version: Qelmot 20080912"},
        {"TYPE I", "200 Type set to  I."},
        {"TYPE A N", "200 Type set to  A."},
        {"TYPE L 8", "200 Type set to  L."},
        {"TYPE E", "504 Command not implemented for that parameter."},
        {"MODE S", "200 Mode set to S."},
        {"MODE B", "504 Command not implemented for that parameter."},
        {"STRU F", "200 Structure set to F."},
        {"STRU R", "504 Command not implemented for that parameter."},
        {"ALLO 1000", "202 ALLO command ignored."},
        {"XPWD", "257 \"/\" is the current directory."},
        {"OPTS UTF8 ON", "200 UTF8 mode enabled."},
        {"opts utf8", "200 UTF8 mode enabled."},
        {"OPTS UTF8 OFF", "502 Unknown command 'UTF8'"},
        {"OPTS MLST type;", "200 MLST OPTS type;size;modify;perm;"},
        {"STAT", "211-localhost FTP server status:\r\n211 End of Status"},
        {"FEAT", "211-Features supported\r\n UTF8\r\n SIZE\r\n MDTM\r\n MFMT\r\n REST STREAM\r\n"
                 " MLST type*;size*;modify*;perm*;\r\n EPSV\r\n EPRT\r\n211 End"},
        {"PWD", "257 \"/\" is the current directory."},
        {"ACK", "500 'ACK': command not understood."},
        {"ack x", "500 'ack': command not understood."},
        {"XYZZY now", "500 'XYZZY': command not understood."},
        {"USER", "501 Syntax error in parameters or arguments."},
        {"TYPE", "501 Syntax error in parameters or arguments."},
        {"REST 10", "350 Restarting at 10. Send STORE or RETRIEVE to initiate transfer."},
        {"REST -1", "501 Syntax error in parameters or arguments."},
        {"REST 99999999999999999999", "501 Syntax error in parameters or arguments."},
        {"ABOR", "225 No transfer to abort."},
        {"\xFF\xF4\xFF\xF2" "ABOR", "225 No transfer to abort."},  // Telnet interrupt before it, as clients send
    });
}

TEST_F(FtpServerTest, LinesAreCutAtLineEndsAndBadLinesGetA500) {
    // Two commands in one segment: two replies. One command in three segments: one reply.
    client_.sendRaw("NOOP\r\nSYST\r\n");
    EXPECT_EQ(client_.reply(), "200 NOOP command successful.");
    EXPECT_EQ(client_.reply(), "215 UNIX Type: L8 Version: Qelmot 20080912");
    client_.sendRaw("NO");
    client_.sendRaw("OP\r");
    client_.sendRaw("\n");
    EXPECT_EQ(client_.reply(), "200 NOOP command successful.");
    // Every line gets a reply, or a pipelining client falls out of step: blanks before the word are skipped.
    client_.sendRaw("\r\n NOOP\r\nNOOP\r\n");
    EXPECT_EQ(client_.reply(), "500 '': command not understood.");
    EXPECT_EQ(client_.reply(), "200 NOOP command successful.");
    EXPECT_EQ(client_.reply(), "200 NOOP command successful.");
    client_.sendRaw("NOOP\n");  // a bare LF ends a line as CR LF does
    EXPECT_EQ(client_.reply(), "200 NOOP command successful.");
    EXPECT_EQ(client_.command("NOOP x\rNOOP"), "501 Syntax error in parameters or arguments.");
    EXPECT_EQ(client_.command("NO\xFF\xFEOP"), "500 Command line is not valid UTF-8.");
    EXPECT_EQ(client_.command(std::string(100000, 'A')), "500 Command line too long.");
    EXPECT_EQ(client_.command("NOOP"), "200 NOOP command successful.");
    EXPECT_TRUE(client_.inbox().empty());
}

TEST_F(FtpServerTest, DirectoryChangesStayInsideTheBase) {
    fs::create_directories(root_ + "/docs2");
    expectReplies(client_, {
        {"CWD Books", "250 CWD command successful."},
        {"PWD", "257 \"/Books/\" is the current directory."},
        {"CDUP", "250 CDUP command successful."},
        {"PWD", "257 \"/\" is the current directory."},
        {"CDUP", "250 CDUP command successful."},
        {"PWD", "257 \"/\" is the current directory."},
        {"CWD ..", "250 CWD command successful."},  // ".." at the top stays there
        {"PWD", "257 \"/\" is the current directory."},
        {"CWD ../docs2", "550 CWD failed."},
        {"CWD /../docs2", "550 CWD failed."},
        {"CWD out-link", "550 CWD failed."},
        {"CWD missing", "550 CWD failed."},
        {"CWD a.pdf", "550 CWD failed."},
        {"CWD", "501 Syntax error in parameters or arguments."},
        {"CWD /Books", "250 CWD command successful."},
        {"CWD /", "250 CWD command successful."},
        {"PWD", "257 \"/\" is the current directory."},
    });
}

TEST_F(FtpServerTest, FileCommandsAndTheirRefusals) {
    write(base_ + "/big.bin", std::string(20000, 'b'));
    write(base_ + "/small.bin", std::string(10239, 's'));
    timeval stamp[2] = {{1709647620, 0}, {1709647620, 0}};  // 2024-03-05 14:07:00 UTC
    ::utimes((base_ + "/small.bin").c_str(), stamp);
    expectReplies(client_, {
        {"MDTM small.bin", "213 20240305140700"},
        {"MFMT 20200520184000 small.bin", "213 Modify=20200520184000; small.bin"},
        {"MDTM small.bin", "213 20200520184000"},
        {"SITE UTIME small.bin 20210101000000 20210102030405 20210101000000 UTC", "200 UTIME command successful."},
        {"SITE UTIME 20220101000000 small.bin", "200 UTIME command successful."},
        {"MDTM small.bin", "213 20220101000000"},
        {"MFMT 20200230120000 small.bin", "501 Syntax error in parameters or arguments."},  // 30 February
        {"MFMT 20200520184000 ../secret", "550 ../secret: Cannot set the modification time."},
        {"SITE CHMOD 600 small.bin", "200 SITE CHMOD command successful."},
        {"SITE EXEC ls", "500 'SITE': command not understood."},
        {"MFMT 20240305140700 small.bin", "213 Modify=20240305140700; small.bin"},
        {"MDTM Books", "550 Books: Not a plain file."},
        {"MDTM ../secret", "550 ../secret No such file or directory."},
        {"MLST small.bin", "250-Listing /small.bin\r\n type=file;size=10239;modify=20240305140700;perm=adfrw; "
                           "/small.bin\r\n250 End"},
        {"MLST nothing", "550 nothing No such file or directory."},
        {"MLST out-link", "550 out-link No such file or directory."},
        {"SIZE small.bin", "213 10239"},
        {"SIZE big.bin", "213 20000"},  // every regular file has its size, however large
        {"SIZE /Books/two.pdf", "213 2"},
        {"SIZE Books", "550 Books: Not a plain file."},
        {"SIZE nothing", "550 nothing No such file or directory."},
        {"SIZE ../secret", "550 ../secret No such file or directory."},
        {"SIZE out-link/secret", "550 out-link/secret No such file or directory."},
        {"MKD New Folder", "257 \"/New Folder\" created."},
        {"MKD Books/say \"hi\"", "257 \"/Books/say \"\"hi\"\"\" created."},
        {"MKD New Folder", "550 New Folder: File exists."},
        {"MKD ../escape", "550 ../escape: Permission denied."},
        {"MKD out-link/escape", "550 out-link/escape: Permission denied."},
        {"RNTO x", "550 RNTO command failed."},
        {"RNFR a.pdf", "350 RNFR command successful."},
        {"RNTO Books", "550 RNTO command failed."},  // a folder is never replaced
        {"RNTO my file.pdf", "550 RNTO command failed."},  // the name from RNFR served one command only
        {"RNFR a.pdf", "350 RNFR command successful."},
        {"RNTO my file.pdf", "250 RNTO command successful."},
        {"RNFR ghost", "550 RNFR command failed."},
        {"RNFR /Books/two.pdf", "350 RNFR command successful."},
        {"RNTO ../stolen.pdf", "550 RNTO command failed."},
        {"DELE my file.pdf", "250 DELE command successful."},
        {"DELE my file.pdf", "550 my file.pdf No such file or directory."},
        {"DELE nothing/x.pdf", "550 nothing/x.pdf No such file or directory."},  // missing, not a way out
        {"RNFR Books/two.pdf", "350 RNFR command successful."},
        {"RNTO Books/one.pdf", "250 RNTO command successful."},  // a file replaces a file in one step
        {"DELE ../secret", "550 DELE command unsuccessful."},
        {"DELE out-link/secret", "550 DELE command unsuccessful."},
        {"DELE", "501 Syntax error in parameters or arguments."},
    });
    EXPECT_TRUE(fs::is_directory(base_ + "/New Folder"));
    EXPECT_TRUE(fs::is_directory(base_ + "/Books/say \"hi\""));
    EXPECT_FALSE(fs::exists(root_ + "/escape"));
    EXPECT_FALSE(fs::exists(base_ + "/a.pdf"));
    EXPECT_FALSE(fs::exists(base_ + "/my file.pdf"));
    EXPECT_EQ(readFile(base_ + "/Books/one.pdf"), "22");
    EXPECT_FALSE(fs::exists(root_ + "/stolen.pdf"));
    EXPECT_EQ(readFile(root_ + "/secret"), "secret");
    EXPECT_EQ(counts_.fileListChanged, 3);  // two renames, one delete
}

TEST_F(FtpServerTest, RemovingTheBaseOrAFullFolderIsRefused) {
    expectReplies(client_, {
        {"RMD", "501 Syntax error in parameters or arguments."},
        {"RMD /", "550 DELE command unsuccessful."},
        {"RMD .", "550 DELE command unsuccessful."},
        {"RMD Books/..", "550 DELE command unsuccessful."},
        {"RMD /Books/../", "550 DELE command unsuccessful."},
        {"CWD Books", "250 CWD command successful."},
        {"RMD .", "550 DELE command unsuccessful."},
        {"RMD ../Books", "550 DELE command unsuccessful."},
        {"CDUP", "250 CDUP command successful."},
        {"RMD Books", "550 DELE command unsuccessful."},  // a folder with files is never taken with them
        {"DELE Books", "550 DELE command unsuccessful."},  // nor is any folder by DELE
        {"RMD a.pdf", "550 DELE command unsuccessful."},   // and RMD removes folders only
        {"DELE Books/one.pdf", "250 DELE command successful."},
        {"DELE Books/two.pdf", "250 DELE command successful."},
        {"CWD Books", "250 CWD command successful."},
        {"RMD .", "250 RMD command successful."},  // the folder the client stands in may go once empty
        {"MKD x", "550 x: Permission denied."},    // nothing is made where it was
        {"CWD /", "250 CWD command successful."},
    });
    EXPECT_TRUE(fs::exists(base_ + "/a.pdf"));
    EXPECT_FALSE(fs::exists(base_ + "/Books"));
    EXPECT_TRUE(fs::exists(root_ + "/secret"));
}

TEST_F(FtpServerTest, ListingsInPassiveModeIncludingDataQueuedBeforeTheClientConnects) {
    auto t = passiveDownload("LIST");
    EXPECT_EQ(t.first, "150 Opening ASCII mode data connection for '/bin/ls'.");
    EXPECT_EQ(t.last, "226 Transfer complete.");
    EXPECT_EQ(t.data.substr(0, 9), "total 2\r\n");  // not the link that leads out
    EXPECT_NE(t.data.find(" a.pdf\n"), std::string::npos);
    EXPECT_EQ(passiveDownload("LIST -la").data, t.data);
    auto books = passiveDownload("LIST -la Books");
    EXPECT_EQ(books.data.substr(0, 9), "total 2\r\n");
    EXPECT_EQ(passiveDownload("LIST ../docs2").first, "550 ../docs2: Permission denied.");

    // LIST before the client connects: the listing waits, then goes out, then 226.
    std::string r = client_.command("EPSV");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r, m, std::regex(R"(^229 Entering Extended Passive Mode \(\|\|\|(\d+)\|\)$)"))) << r;
    EXPECT_EQ(client_.command("LIST Books"), "150 Opening ASCII mode data connection for '/bin/ls'.");
    int fd = FtpTestClient::connectTo(static_cast<std::uint16_t>(std::stoi(m[1])));
    EXPECT_EQ(FtpTestClient::readUntilClosed(fd), books.data);
    EXPECT_EQ(client_.reply(), "226 Transfer complete.");
    ::close(fd);
}

TEST_F(FtpServerTest, NameListsWildcardsAndMachineListingsShowOnlyWhatTheyName) {
    write(base_ + "/.hidden.pdf", "h");
    write(base_ + "/forged\r\n-rw-r--r-- 1 u g 1 Jan 01 00:00 evil.pdf", "x");  // a line end in a name on disk
    write(base_ + "/lf\nname.pdf", "x");
    // Each listing's lines (names alone for NLST, the last field of LIST and MLSD lines), sorted; or its refusal.
    auto names = [&](const std::string& cmd) {
        auto t = passiveDownload(cmd);
        if (t.first.substr(0, 4) != "150 ") return std::vector<std::string>{t.first};
        const bool nlst = cmd.substr(0, 4) == "NLST";
        std::vector<std::string> out;
        std::istringstream in(t.data);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("total ", 0) == 0) continue;
            out.push_back(nlst ? line : line.substr(line.rfind(' ') + 1));
        }
        std::sort(out.begin(), out.end());
        EXPECT_EQ(t.last, "226 Transfer complete.") << cmd;
        return out;
    };
    using V = std::vector<std::string>;
    const std::pair<std::string, V> cases[] = {
        {"NLST", {"Books", "a.pdf"}},  // never a link that leads out
        {"NLST -la", {"Books", "a.pdf"}},
        {"NLST *", {"Books", "a.pdf"}},  // never hidden names, never names with line ends
        {"NLST *.pdf", {"a.pdf"}},
        {"NLST Books", {"one.pdf", "two.pdf"}},
        {"NLST Books/*.pdf", {"Books/one.pdf", "Books/two.pdf"}},
        {"NLST /Books/t?o.pdf", {"/Books/two.pdf"}},
        {"NLST Books/[o]*", {"Books/one.pdf"}},
        {"NLST a.pdf", {"a.pdf"}},
        {"NLST *.none", {}},
        {"NLST ../*", {"550 ../*: Permission denied."}},
        {"NLST out-link/*", {"550 out-link/*: Permission denied."}},
        {"LIST *.pdf", {"a.pdf"}},
        {"LIST a.pdf", {"a.pdf"}},  // a file's own line
        {"MLSD", {"Books", "a.pdf"}},
        {"MLSD /Books", {"one.pdf", "two.pdf"}},
        {"MLSD a.pdf", {"550 a.pdf: Not a directory."}},
        {"MLSD missing", {"550 missing No such file or directory."}},
        {"MLSD ..", {"550 ..: Permission denied."}},
    };
    for (const auto& [cmd, want] : cases) EXPECT_EQ(names(cmd), want) << cmd;
    auto list = passiveDownload("LIST");
    EXPECT_EQ(list.data.substr(0, 9), "total 2\r\n");
    EXPECT_EQ(list.data.find("evil"), std::string::npos);
    auto mlsd = passiveDownload("MLSD Books");
    EXPECT_TRUE(std::regex_search(mlsd.data, std::regex("(^|\n)type=file;size=2;modify=\\d{14};perm=[adfrw]+;unique="
                                                        "\\d+U\\d+; two.pdf\r\n")))
        << mlsd.data;
    EXPECT_EQ(mlsd.first, "150 Opening ASCII mode data connection for 'MLSD'.");
}

TEST_F(FtpServerTest, RestartAndAppendContinueAFile) {
    const std::string bytes = bytesOfSize(10);
    passiveUpload("STOR f.bin", bytes);
    // A transfer command right after REST, on a fresh passive connection.
    auto restarted = [&](const std::string& rest, const std::string& cmd, const std::string& upload = "") {
        int fd = passive();
        Transfer t;
        t.first = client_.command(rest);
        t.first += "|" + client_.command(cmd);
        if (t.first.find("|150 ") != std::string::npos) {
            if (cmd.substr(0, 4) == "RETR") {
                t.data = FtpTestClient::readUntilClosed(fd);
            } else {
                EXPECT_TRUE(FtpTestClient::sendAll(fd, upload));
                ::shutdown(fd, SHUT_WR);
            }
            t.last = client_.reply();
        }
        ::close(fd);
        return t;
    };
    auto refusal = [&](const std::string& rest, const std::string& cmd) {
        std::string first = restarted(rest, cmd).first;
        return first.substr(first.find('|') + 1);
    };
    const std::string kBeyond = "554 Restart position beyond the end of the file.";
    const std::string rest4 = "350 Restarting at 4. Send STORE or RETRIEVE to initiate transfer.";
    auto t = restarted("REST 4", "RETR f.bin");
    EXPECT_EQ(t.first, rest4 + "|150 Opening BINARY mode data connection for 'f.bin'.");
    EXPECT_EQ(t.data, bytes.substr(4));
    EXPECT_EQ(t.last, "226 Transfer complete.");
    EXPECT_EQ(restarted("REST 10", "RETR f.bin").data, "");
    EXPECT_EQ(refusal("REST 11", "RETR f.bin"), kBeyond);
    // The offset holds whatever comes between (REST, PASV, then RETR, as some clients send it), and goes with
    // the transfer that takes it.
    client_.command("REST 4");
    int fd = passive();
    client_.command("NOOP");
    client_.command("RETR f.bin");
    EXPECT_EQ(FtpTestClient::readUntilClosed(fd), bytes.substr(4));
    client_.reply();
    ::close(fd);
    EXPECT_EQ(passiveDownload("RETR f.bin").data, bytes);

    EXPECT_EQ(restarted("REST 4", "STOR f.bin", "XY").last, "226 Transfer complete.");
    EXPECT_EQ(readFile(base_ + "/f.bin"), bytes.substr(0, 4) + "XY" + bytes.substr(6));  // not truncated
    EXPECT_EQ(refusal("REST 11", "STOR f.bin"), kBeyond);
    EXPECT_EQ(refusal("REST 1", "STOR new.bin"), kBeyond);
    EXPECT_FALSE(fs::exists(base_ + "/new.bin"));
    auto a = passiveUpload("APPE f.bin", "tail");
    EXPECT_EQ(a.first, "150 Opening BINARY mode data connection for 'f.bin'.");
    EXPECT_EQ(a.last, "226 Transfer complete.");
    EXPECT_EQ(readFile(base_ + "/f.bin"), bytes.substr(0, 4) + "XY" + bytes.substr(6) + "tail");
    EXPECT_EQ(passiveUpload("APPE -new.bin", "new").last, "226 Transfer complete.");
    EXPECT_EQ(readFile(base_ + "/-new.bin"), "new");
    EXPECT_EQ(client_.command("APPE f.bin"), "425 Can't open data connection.");
    EXPECT_EQ(passiveUpload("APPE ../outside.bin", "x").first, "553 ../outside.bin: Permission denied.");
    EXPECT_EQ(counts_.fileListChanged, 4);  // STOR, REST+STOR, two APPE
}

TEST_F(FtpServerTest, AbortStopsARunningTransferWithA426ThenA226) {
    write(base_ + "/big.bin", bytesOfSize(64 << 20));  // more than the socket buffers hold
    int fd = passive();
    EXPECT_EQ(client_.command("RETR big.bin").substr(0, 4), "150 ");
    FtpTestClient::turnUntil([] { return false; }, 50);
    client_.sendRaw(
        "\xFF\xF4\xFF\xF2"
        "ABOR\r\n");
    EXPECT_EQ(client_.reply(), "426 Connection closed; transfer aborted.");
    EXPECT_EQ(client_.reply(), "226 ABOR command successful.");
    EXPECT_LT(FtpTestClient::readUntilClosed(fd).size(), size_t{64 << 20});  // closed before the end
    ::close(fd);

    fd = passive();
    EXPECT_EQ(client_.command("STOR up.bin").substr(0, 4), "150 ");
    EXPECT_TRUE(FtpTestClient::sendAll(fd, "abc"));
    EXPECT_EQ(client_.command("ABOR"), "426 Connection closed; transfer aborted.");
    EXPECT_EQ(client_.reply(), "226 ABOR command successful.");
    EXPECT_EQ(FtpTestClient::readUntilClosed(fd), "");
    ::close(fd);
    EXPECT_FALSE(fs::exists(base_ + "/up.bin"));  // an aborted upload leaves nothing, not even its temporary file
    EXPECT_EQ(std::distance(fs::directory_iterator(base_), fs::directory_iterator()), 4);
    EXPECT_EQ(counts_.fileListChanged, 1);
    EXPECT_EQ(client_.command("ABOR"), "225 No transfer to abort.");
    EXPECT_EQ(passiveDownload("RETR a.pdf").data, "hello");
}

TEST_F(FtpServerTest, DownloadsAndUploadsKeepEveryByteInBothModes) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4097}, size_t{600000}}) {
        const std::string bytes = bytesOfSize(size);
        const std::string name = "f" + std::to_string(size) + ".bin";
        // Passive upload, passive download.
        auto up = passiveUpload("STOR " + name, bytes);
        EXPECT_EQ(up.first, "150 Opening BINARY mode data connection for '" + name + "'.");
        EXPECT_EQ(up.last, "226 Transfer complete.");
        EXPECT_EQ(readFile(base_ + "/" + name), bytes) << size;
        auto down = passiveDownload("RETR " + name);
        EXPECT_EQ(down.first, "150 Opening BINARY mode data connection for '" + name + "'.");
        EXPECT_EQ(down.data, bytes) << size;
        EXPECT_EQ(down.last, "226 Transfer complete.");

        // Active (PORT) download and (EPRT) upload to the client's own address.
        std::uint16_t p = 0;
        int lfd = FtpTestClient::listenLocal(&p);
        EXPECT_EQ(client_.command(format("PORT 127,0,0,1,%d,%d", p / 256, p % 256)), "200 PORT command successful.");
        EXPECT_EQ(client_.command("RETR " + name).substr(0, 4), "150 ");
        int dfd = FtpTestClient::acceptOne(lfd);
        EXPECT_EQ(FtpTestClient::readUntilClosed(dfd), bytes) << size;
        EXPECT_EQ(client_.reply(), "226 Transfer complete.");
        ::close(dfd);
        EXPECT_EQ(client_.command(format("EPRT |1|127.0.0.1|%d|", p)), "200 EPRT command successful.");
        EXPECT_EQ(client_.command("STOR active-" + name).substr(0, 4), "150 ");
        dfd = FtpTestClient::acceptOne(lfd);
        EXPECT_TRUE(FtpTestClient::sendAll(dfd, bytes));
        ::shutdown(dfd, SHUT_WR);
        EXPECT_EQ(client_.reply(), "226 Transfer complete.");
        EXPECT_EQ(readFile(base_ + "/active-" + name), bytes) << size;
        ::close(dfd);
        ::close(lfd);
    }
    EXPECT_EQ(counts_.fileListChanged, 10);  // one per finished upload
}

TEST_F(FtpServerTest, PassiveUploadWhoseClientConnectsAfterTheReplyAndSendsNothingEnds) {
    std::string r = client_.command("PASV");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r, m, std::regex(R"(^227 .*,(\d+),(\d+)\)$)"))) << r;
    EXPECT_EQ(client_.command("STOR empty.pdf"), "150 Opening BINARY mode data connection for 'empty.pdf'.");
    int fd = FtpTestClient::connectTo(static_cast<std::uint16_t>(std::stoi(m[1]) * 256 + std::stoi(m[2])));
    FtpTestClient::turnUntil([] { return false; }, 50);  // let the server take the connection
    ::shutdown(fd, SHUT_WR);
    EXPECT_EQ(client_.reply(), "226 Transfer complete.");
    EXPECT_TRUE(fs::exists(base_ + "/empty.pdf"));
    EXPECT_EQ(fs::file_size(base_ + "/empty.pdf"), 0u);
    ::close(fd);
}

TEST_F(FtpServerTest, TransfersWithoutADataConnectionAndBadPortsGetRefusals) {
    expectReplies(client_, {
        {"LIST", "425 Can't open data connection."},
        {"RETR a.pdf", "425 Can't open data connection."},
        {"STOR new.pdf", "425 Can't open data connection."},
        {"RETR missing", "550 missing No such file or directory."},
        {"RETR Books", "550 Books: Not a plain file."},
        {"RETR ../secret", "550 ../secret No such file or directory."},
        {"RETR out-link/secret", "550 out-link/secret No such file or directory."},
        {"PORT 1,2,3", "501 Syntax error in parameters or arguments."},
        {"PORT 127,0,0,1,0,0", "501 Syntax error in parameters or arguments."},
        {"EPRT |1|127.0.0.1|", "501 Syntax error in parameters or arguments."},
        {"LPRT 4,4,127,0,0,1,2,1,1", "501 Syntax error in parameters or arguments."},
        {"NOOP", "200 NOOP command successful."},
    });
    EXPECT_FALSE(fs::exists(base_ + "/new.pdf"));
    // LPRT's reply is a fixed text; a refused active connection is reported on the transfer that needed it.
    std::uint16_t p = 0;
    int lfd = FtpTestClient::listenLocal(&p);
    ::close(lfd);  // nobody listens there now
    EXPECT_EQ(client_.command(format("LPRT 6,16,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,2,%d,%d", p / 256, p % 256)),
              "228 Entering Long Passive Mode \t(af, hal, h1, h2, h3,..., pal, p1, p2...)");
    FtpTestClient::turnUntil([] { return false; }, 100);  // the connection fails meanwhile, silently
    EXPECT_EQ(client_.command("RETR a.pdf"), "425 Can't open data connection.");
    EXPECT_EQ(client_.command("NOOP"), "200 NOOP command successful.");
}

TEST_F(FtpServerTest, QuitSendsBothRepliesThenCloses) {
    EXPECT_EQ(server_->connectionCount(), 1u);
    client_.sendRaw("QUIT\r\nNOOP\r\n");
    EXPECT_EQ(client_.reply(),
              "221- Data traffic for this session was 0 bytes in 0 files\r\n"
              "221 Thank you for using the FTP service on localhost.");
    EXPECT_TRUE(client_.waitClosed());
    EXPECT_TRUE(client_.inbox().empty());  // nothing after QUIT is answered
    EXPECT_TRUE(FtpTestClient::turnUntil([&] { return server_->connectionCount() == 0; }));
}

TEST_F(FtpServerTest, ClientsThatVanishAreRemovedWithTheirFiles) {
    write(base_ + "/half.pdf", "old");
    int fd = passive();
    EXPECT_EQ(client_.command("STOR half.pdf").substr(0, 4), "150 ");
    EXPECT_TRUE(FtpTestClient::sendAll(fd, "partial"));
    FtpTestClient::turnUntil([] { return false; }, 50);
    client_.close();  // no QUIT
    EXPECT_TRUE(FtpTestClient::turnUntil([&] { return server_->connectionCount() == 0; }));
    ::close(fd);
    EXPECT_EQ(readFile(base_ + "/half.pdf"), "old");  // a cut-off upload never replaces the file
    // The upload's file is closed and gone (on the turn after the connection ended).
    auto fileOpen = [&] {
        for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            if (fs::read_symlink(e.path(), ec).string().find(base_ + "/.") == 0) return true;
        }
        return false;
    };
    EXPECT_TRUE(FtpTestClient::turnUntil([&] { return !fileOpen(); }));
}

TEST_F(FtpServerTest, NotificationsCountCommandLinesAndRepliesButNotData) {
    Counts before = counts_;
    passiveDownload("RETR a.pdf");  // PASV + RETR: two lines read; 227, 150, 226 written
    EXPECT_EQ(counts_.received - before.received, 2);
    EXPECT_TRUE(FtpTestClient::turnUntil([&] { return counts_.sent - before.sent == 3; }));
    EXPECT_GE(counts_.sent, 1 + 3);  // the greeting counts too
}

TEST_F(FtpServerTest, StoppingClosesEveryClientAndRefusesNewOnes) {
    FtpTestClient second;
    ASSERT_TRUE(second.open(port_));
    EXPECT_EQ(second.reply(), "220 Qelmot server ready.");
    server_->stopFtpServer();
    EXPECT_EQ(server_->connectionCount(), 0u);
    EXPECT_TRUE(client_.waitClosed());
    EXPECT_TRUE(second.waitClosed());
    FtpTestClient late;
    late.open(port_);
    EXPECT_TRUE(late.waitClosed());
}

TEST_F(FtpServerTest, ABusyPortLeavesAServerThatSaysWhy) {
    FtpServer other(port_, base_, nullptr);
    EXPECT_FALSE(other.isListening());
    EXPECT_FALSE(other.listenError().localizedDescription.empty());
    EXPECT_EQ(client_.command("NOOP"), "200 NOOP command successful.");
}

TEST(FtpServerTable, TheCommandTableHasItsFortyFiveWords) {
    auto words = FtpConnection::commandWords();
    EXPECT_EQ(words.size(), 45u);
    for (const char* word : {"rmd", "nlst", "ack", "mkd", "cdup", "rest", "appe", "mdtm", "mlsd", "abor", "mfmt", "xpwd"})
        EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
    FtpServer server(0, fs::temp_directory_path().string(), nullptr);
    EXPECT_TRUE(server.changeRoot());
    EXPECT_EQ(server.clientEncoding(), 4);
}
