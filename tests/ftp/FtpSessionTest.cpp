#include "ftp/FtpSession.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ftp/FtpReplies.h"
#include "net/TlsContext.h"

namespace fs = std::filesystem;

namespace {

// The control socket: replies are kept, the rest is noted.
struct FakeControl : FtpControlChannel {
    std::string replies, tlsContext;
    bool paused = false, closing = false, closedNow = false, clientReads = true;
    std::uint64_t unsent = 0;  // what the client has not taken while it does not read
    void writeReply(std::string lines) override {
        replies += lines;
        if (!clientReads) unsent += lines.size();
    }
    std::uint64_t unsentReplyBytes() const override { return unsent; }
    void setReadingPaused(bool p) override { paused = p; }
    void closeAfterReplies() override { closing = true; }
    void closeNow() override { closing = closedNow = true; }
    void startTls(const std::string& context) override { tlsContext = context; }
    std::string localAddress() const override { return "127.0.0.1"; }
};

// The data side: always ready; what the session hands it is kept. With `holdTransfers` a transfer handed to it
// stays under way, having moved `moved` bytes.
struct FakeData : FtpDataChannel {
    std::vector<FtpDataConnection::Outgoing> sent;
    std::optional<FtpDataConnection::Incoming> upload;
    std::optional<std::string> protection;
    bool busy = false, holdTransfers = false;
    std::uint64_t moved = 0;
    std::optional<std::uint16_t> listen(const std::string&, const std::string&) override { return 50000; }
    bool connect(const std::string&, std::uint16_t) override { return true; }
    bool isOpen() const override { return true; }
    void send(FtpDataConnection::Outgoing item) override {
        sent.push_back(std::move(item));
        busy = busy || holdTransfers;
    }
    void receive(FtpDataConnection::Incoming file) override {
        upload = std::move(file);
        busy = busy || holdTransfers;
    }
    bool isBusy() const override { return busy; }
    std::optional<FtpDataConnection::Incoming> abort() override {
        busy = false;
        return std::exchange(upload, std::nullopt);
    }
    std::pair<std::uint64_t, std::uint64_t> progress() const override { return {moved, 0}; }
    bool hasConnected() const override { return true; }
    void setProtection(std::optional<std::string> context) override { protection = std::move(context); }
};

struct FakeOwner : FtpConnectionOwner {
    double wait = 0, failedWait = 0;  // before a password is checked, and before a wrong one is answered
    void connectionDidQuit(FtpConnection*) override {}
    void connectionDidEnd(FtpConnection*) override {}
    bool admits(const FtpConnection*, const std::string&) const override { return true; }
    bool admitsLogin(const FtpConnection*, const std::string&) const override { return true; }
    double loginWait(const std::string&) override { return wait; }
    double loginFailed(const std::string&) override { return failedWait; }
    void loginSucceeded(const std::string&) override {}
    bool reserveMemory(const std::string&, std::uint64_t) override { return true; }
    void releaseMemory(const std::string&, std::uint64_t) override {}
    std::map<std::string, std::optional<std::string>> tlsOwners;  // context -> account, as the session told it
    void tlsSessionsIssued(const std::string& context, const std::string&,
                           const std::optional<std::string>& account) override {
        tlsOwners[context] = account;
    }
    bool acceptsTlsSession(const std::string& context, const std::string&,
                           const std::optional<std::string>& account) const override {
        return tlsOwners.count(context) && tlsOwners.at(context) == account;
    }
};

// A session over the fakes, on a base folder holding a.pdf ("hello") and Books/. Its loop runs on a clock the test
// moves: timers of minutes run in no time.
class FtpSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-session-XXXXXX").string();
        base_ = fs::canonical(::mkdtemp(tmpl.data())).string();
        fs::create_directories(base_ + "/Books");
        std::ofstream(base_ + "/a.pdf") << "hello";
    }
    void TearDown() override {
        session_.reset();
        fs::remove_all(base_);
    }

    void start(FtpOptions options) {
        session_.reset();
        settings_ = std::make_unique<FtpSettings>(base_, nullptr, std::move(options));
        session_ = std::make_unique<FtpSession>(*settings_, control_, data_, owner_, nullptr, loop_);
        session_->start("127.0.0.1");
        control_.replies.clear();
    }

    // Sends each line and returns the replies to the last, CR LF between lines; a login's wait is run out.
    std::string say(const std::vector<std::string>& lines) {
        for (const auto& line : lines) {
            control_.replies.clear();
            session_->receive(line + "\r\n");
            for (int i = 0; i < 5 && session_->isLoginPending(); ++i) elapse(owner_.wait + owner_.failedWait);
        }
        return control_.replies.substr(0, control_.replies.size() - 2);
    }

    // Moves the clock `seconds` on, stopping at each timer on the way to run it as the loop would.
    void elapse(double seconds) {
        const auto end = now_ + std::chrono::duration_cast<RunLoop::Clock::duration>(std::chrono::duration<double>(seconds));
        for (int turns = 0; turns < 100000; ++turns) {
            if (loop_.runOnce(0)) continue;
            auto next = loop_.msUntilNextDeadline();
            if (now_ >= end) return;
            now_ = next ? std::min(end, now_ + std::chrono::milliseconds(*next)) : end;
        }
        ADD_FAILURE() << "the loop never settles";
    }

    std::string base_;
    RunLoop::Clock::time_point now_{};
    RunLoop loop_{[this] { return now_; }};
    FakeControl control_;
    FakeData data_;
    FakeOwner owner_;
    std::unique_ptr<FtpSettings> settings_;
    std::unique_ptr<FtpSession> session_;
};

FtpOptions withUser() {
    FtpOptions options;
    options.user = "ann";
    options.password = "pw";
    return options;
}
FtpOptions readOnly() {
    FtpOptions options;
    options.readOnly = true;
    return options;
}
FtpOptions tlsRequired(FtpOptions options = withUser()) {
    options.tls = TlsContext::client("");
    options.requireTls = true;
    return options;
}

}  // namespace

TEST_F(FtpSessionTest, WhichCommandsMayRunWhen) {
    struct Row {
        FtpOptions options;
        std::vector<std::string> lines;
        std::string reply;
    } rows[] = {
        {withUser(), {"LIST"}, "530 Please login with USER and PASS."},
        {withUser(), {"CWD Books"}, "530 Please login with USER and PASS."},
        {withUser(), {"SYST"}, "215 UNIX Type: L8 Version: Qelmot 20080912"},
        {withUser(), {"USER ann", "PASS no"}, "530 Login incorrect."},
        {withUser(), {"USER bob", "PASS pw"}, "530 Login incorrect."},
        {withUser(), {"USER ann", "PASS pw", "USER ann", "PWD"}, "530 Please login with USER and PASS."},
        {withUser(), {"USER ann", "PASS pw", "PWD"}, "257 \"/\" is the current directory."},
        {tlsRequired(), {"USER ann"}, "530 Send AUTH TLS first: this server logs in over TLS only."},
        {tlsRequired(), {"AUTH TLS", "USER ann", "PASS pw", "LIST"}, "521 Data connections must be encrypted: send PROT P."},
        {tlsRequired(), {"AUTH TLS", "USER ann", "PASS pw", "PROT P", "NLST"}, "150 Opening ASCII mode data connection for '/bin/ls'."},
        {tlsRequired(), {"AUTH TLS", "PBSZ 0", "PROT C"}, "200 Protection level set to C."},
        {tlsRequired(), {"PROT P"}, "503 Send AUTH TLS first."},
        // Without an account nothing but TLS guards the files: in clear only TLS and questions about the server.
        {tlsRequired({}), {"MKD new"}, "530 Send AUTH TLS first: this server takes commands over TLS only."},
        {tlsRequired({}), {"DELE a.pdf"}, "530 Send AUTH TLS first: this server takes commands over TLS only."},
        {tlsRequired({}), {"CWD Books"}, "530 Send AUTH TLS first: this server takes commands over TLS only."},
        {tlsRequired({}), {"SIZE a.pdf"}, "530 Send AUTH TLS first: this server takes commands over TLS only."},
        {tlsRequired({}), {"NOOP"}, "200 NOOP command successful."},
        {tlsRequired({}), {"AUTH TLS", "SIZE a.pdf"}, "213 5"},
        // A name whose characters reorder the text would show as another name in every list.
        {FtpOptions{}, {"MKD caf\xC3\xA9 \xE2\x80\xAE" "fdp.exe"}, FtpReplies::kReorderingName},
        {FtpOptions{}, {"STOR x\xE2\x81\xA6.pdf"}, FtpReplies::kReorderingName},
        {FtpOptions{}, {"RNFR a.pdf", "RNTO \xE2\x80\xAE" "fdp.exe"}, FtpReplies::kReorderingName},
        {FtpOptions{}, {"AUTH TLS"}, "500 'AUTH': command not understood."},
        {FtpOptions{}, {"EPSV ALL"}, "200 EPSV ALL command successful."},
        {FtpOptions{}, {"EPSV ALL", "PASV"}, "501 PASV not allowed after EPSV ALL."},
        {FtpOptions{}, {"EPSV ALL", "PORT 127,0,0,1,200,10"}, "501 PORT not allowed after EPSV ALL."},
        {FtpOptions{}, {"epsv all", "EPRT |1|127.0.0.1|5000|"}, "501 EPRT not allowed after EPSV ALL."},
        {FtpOptions{}, {"EPSV ALL", "EPSV"}, "229 Entering Extended Passive Mode (|||50000|)"},
        {FtpOptions{}, {"PASV"}, "227 Entering Passive Mode (127,0,0,1,195,80)"},
    };
    for (auto& row : rows) {
        start(row.options);
        EXPECT_EQ(say(row.lines), row.reply) << row.lines.back();
    }
    // A transfer waits for the one under way.
    start(FtpOptions{});
    data_.busy = true;
    for (const char* line : {"RETR a.pdf", "STOR b.pdf", "APPE a.pdf", "LIST", "NLST", "MLSD"})
        EXPECT_EQ(say({line}), "450 Another transfer is in progress.") << line;
    EXPECT_EQ(say({"PWD"}), "257 \"/\" is the current directory.");
}

// Every name below the base with its type, size, contents, permissions and modification time.
static std::map<std::string, std::string> tree(const std::string& base) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(base)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        std::ostringstream text;
        if (S_ISREG(st.st_mode)) text << std::ifstream(e.path()).rdbuf();
        out[e.path().string()] = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                                 std::to_string(st.st_mtim.tv_nsec) + " " + text.str();
    }
    return out;
}

TEST_F(FtpSessionTest, ReadOnlyRefusesEveryCommandThatWritesAndNothingElse) {
    // The arguments that make a command do its work here; any other command gets "a.pdf".
    const std::map<std::string, std::vector<std::string>> lines = {
        {"stor", {"STOR x.pdf"}},          {"rnfr", {"RNFR a.pdf", "RNTO b.pdf"}}, {"rnto", {"RNFR a.pdf", "RNTO b.pdf"}},
        {"mkd", {"MKD new"}},              {"xmkd", {"XMKD new"}},                 {"rmd", {"RMD Empty"}},
        {"xrmd", {"XRMD Empty"}},          {"site", {"SITE CHMOD 600 a.pdf"}},
        {"mfmt", {"MFMT 20200101000000 a.pdf"}},
    };
    std::set<std::string> writers;
    for (const std::string& word : FtpSession::commandWords()) {
        std::vector<std::string> script = {word + " a.pdf"};
        if (auto it = lines.find(word); it != lines.end()) script = it->second;
        std::string replies[2];
        bool wrote[2] = {};
        for (bool readOnlyShare : {false, true}) {
            fs::remove_all(base_);
            fs::create_directories(base_ + "/Books");
            fs::create_directories(base_ + "/Empty");
            std::ofstream(base_ + "/a.pdf") << "hello";
            const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};  // listings show the same time
            ::utimensat(AT_FDCWD, (base_ + "/a.pdf").c_str(), times, 0);
            const auto before = tree(base_);
            start(readOnlyShare ? readOnly() : FtpOptions{});
            data_ = FakeData{};
            for (const auto& line : script) replies[readOnlyShare] += say({line}) + "\n";
            wrote[readOnlyShare] = tree(base_) != before || data_.upload.has_value();
            session_.reset();
        }
        EXPECT_FALSE(wrote[true]) << word << " wrote on a read-only share";
        if (wrote[false]) {
            writers.insert(word);
            std::string refused;
            for (size_t i = 0; i < script.size(); ++i) refused += "550 Permission denied.\n";
            EXPECT_EQ(replies[true], refused) << word;
        } else {
            EXPECT_EQ(replies[true], replies[false]) << word << " does not write, so read-only does not change it";
        }
    }
    // The writers were found by what they did, aliases included.
    EXPECT_EQ(writers, (std::set<std::string>{"stor", "appe", "dele", "rnfr", "rnto", "mkd", "xmkd", "rmd", "xrmd",
                                              "site", "mfmt"}));
}

TEST_F(FtpSessionTest, RenameSourceServesTheNextCommandAndRestartOffsetTheNextTransfer) {
    struct Row {
        std::vector<std::string> lines;
        std::string reply;
        off_t offset;  // of the transfer handed to the data side; -1: none
    } rows[] = {
        {{"RNFR a.pdf", "RNTO b.pdf"}, "250 RNTO command successful.", -1},
        {{"RNFR a.pdf", "NOOP", "RNTO b.pdf"}, "550 RNTO command failed.", -1},
        {{"RNFR a.pdf", "RNTO b.pdf", "RNTO c.pdf"}, "550 RNTO command failed.", -1},
        {{"RNFR gone.pdf", "RNTO b.pdf"}, "550 RNTO command failed.", -1},
        {{"REST 3", "TYPE I", "PASV", "RETR a.pdf"}, "150 Opening BINARY mode data connection for 'a.pdf'.", 3},
        {{"REST 3", "RETR a.pdf", "RETR a.pdf"}, "150 Opening BINARY mode data connection for 'a.pdf'.", 0},
        {{"REST 3", "LIST", "RETR a.pdf"}, "150 Opening BINARY mode data connection for 'a.pdf'.", 3},
        {{"REST 6", "RETR a.pdf"}, "554 Restart position beyond the end of the file.", -1},
        {{"REST 2", "STOR a.pdf"}, "150 Opening BINARY mode data connection for 'a.pdf'.", 2},
        {{"REST 2", "STOR gone.pdf", "STOR b.pdf"}, "150 Opening BINARY mode data connection for 'b.pdf'.", 0},
        {{"REST 2", "APPE a.pdf"}, "150 Opening BINARY mode data connection for 'a.pdf'.", 5},
    };
    for (auto& row : rows) {
        fs::remove(base_ + "/b.pdf");
        std::ofstream(base_ + "/a.pdf") << "hello";
        start(FtpOptions{});
        data_ = FakeData{};
        EXPECT_EQ(say(row.lines), row.reply) << row.lines.front() << " .. " << row.lines.back();
        off_t offset = data_.upload ? data_.upload->offset : -1;
        for (const auto& item : data_.sent)
            if (item.file) offset = item.offset;
        EXPECT_EQ(offset, row.offset) << row.lines.front() << " .. " << row.lines.back();
        session_.reset();  // drops the upload's file before the next row
    }
}

TEST_F(FtpSessionTest, TheEndOfATransferIsAnsweredByHowItEnded) {
    struct Row {
        bool upload;
        int error;
        bool failed, connected, downloadPending;
        std::string reply;
    } rows[] = {
        {true, 0, false, true, false, "226 Transfer complete."},
        {true, 0, true, true, false, "426 Connection closed; transfer aborted."},
        {true, 0, true, false, false, "425 Can't open data connection."},
        {true, ENOSPC, false, true, false, "452 Transfer aborted: no space left on the device."},
        {true, EDQUOT, false, true, false, "552 Transfer aborted: storage allocation exceeded."},
        {true, EIO, false, true, false, "451 Transfer aborted: the file could not be written."},
        {false, 0, true, true, true, "426 Connection closed; transfer aborted."},
        {false, 0, true, false, true, "425 Can't open data connection."},
        {false, 0, false, true, false, ""},
    };
    for (auto& row : rows) {
        std::ofstream(base_ + "/a.pdf") << "hello";
        start(FtpOptions{});
        say({row.upload ? "STOR a.pdf" : "NOOP"});
        control_.replies.clear();
        if (data_.upload) data_.upload->error = row.error;
        auto upload = row.upload ? std::exchange(data_.upload, std::nullopt) : std::nullopt;
        session_->dataConnectionClosed(std::move(upload), row.failed, row.connected, row.downloadPending);
        EXPECT_EQ(control_.replies, row.reply.empty() ? "" : row.reply + "\r\n") << row.error;
        // The new version is put in place only when it arrived whole.
        EXPECT_EQ(fs::file_size(base_ + "/a.pdf"), row.reply.starts_with("226") ? 0u : 5u) << row.reply;
    }
}

TEST_F(FtpSessionTest, CommandsWaitWhileRepliesBackUpOrALoginIsChecked) {
    FtpOptions options = withUser();
    options.maxUnsentReplyBytes = 100;
    start(options);
    // A client that does not read its replies: past the bound its socket is not read, its lines wait.
    control_.clientReads = false;
    session_->receive(std::string(5, 'x') + "\r\nSTAT\r\nSTAT\r\nSTAT\r\nSTAT\r\nSTAT\r\nNOOP\r\n");
    EXPECT_TRUE(control_.paused);
    EXPECT_EQ(control_.replies.find("200 NOOP"), std::string::npos);
    control_.clientReads = true;
    control_.unsent = 0;
    session_->repliesWritten();
    EXPECT_FALSE(control_.paused);
    EXPECT_NE(control_.replies.find("530 Please login with USER and PASS.\r\n"), std::string::npos);
    // A password waits out the address's penalty, and the commands after it wait with it, in order.
    owner_.wait = 0.05;
    control_.replies.clear();
    session_->receive("USER ann\r\nPASS pw\r\nPWD\r\n");
    EXPECT_EQ(control_.replies, "331 Password required for ann\r\n");
    elapse(0.05);
    EXPECT_FALSE(session_->isLoginPending());
    EXPECT_EQ(control_.replies, "331 Password required for ann\r\n230 User ann logged in.\r\n"
                                "257 \"/\" is the current directory.\r\n");
}

TEST_F(FtpSessionTest, TimersCloseOrAnswerOnTheLoopsClock) {
    // A step is a command line, "+S" (S seconds pass), "hold" (transfers stay under way) or "move" (the transfer
    // moves a byte); during it the session sends `replies` (" | " after each line; "[closed]" when it drops the
    // connection without waiting for the client to read).
    struct Step {
        std::string what, replies;
    };
    struct Row {
        const char* name;
        FtpOptions options;
        double wait, failedWait;
        std::vector<Step> steps;
    };
    auto with = [](FtpOptions options, double FtpOptions::*limit, double seconds) {
        options.*limit = seconds;
        return options;
    };
    const char* kRetr = "150 Opening BINARY mode data connection for 'a.pdf'.";
    const char* kAborted = "426 Connection closed; transfer aborted.";
    const Row rows[] = {
        {"login in time", with(withUser(), &FtpOptions::loginTimeout, 30), 0, 0,
         {{"+29.9", ""}, {"+0.1", "421 Login timeout."}, {"+9.9", ""}, {"+0.1", "[closed]"}}},
        {"logged in", with(withUser(), &FtpOptions::loginTimeout, 30), 0, 0,
         {{"USER ann", "331 Password required for ann"}, {"PASS pw", ""}, {"+300", "230 User ann logged in."}}},
        {"idle", with({}, &FtpOptions::idleTimeout, 60), 0, 0,
         {{"+59", ""}, {"NOOP", "200 NOOP command successful."}, {"+59.9", ""}, {"+0.1", "421 Timeout."}}},
        {"idle through a transfer", with({}, &FtpOptions::idleTimeout, 60), 0, 0,
         {{"hold", ""}, {"RETR a.pdf", kRetr}, {"+600", ""}}},
        {"stalled transfer", with({}, &FtpOptions::transferTimeout, 20), 0, 0,
         {{"hold", ""}, {"RETR a.pdf", kRetr}, {"+19.9", ""}, {"+0.1", kAborted}}},
        {"moving transfer", with({}, &FtpOptions::transferTimeout, 20), 0, 0,
         {{"hold", ""}, {"RETR a.pdf", kRetr}, {"+15", ""}, {"move", ""}, {"+24.9", ""}, {"+0.1", kAborted}}},
        {"closed while a password waits", with(withUser(), &FtpOptions::idleTimeout, 60), 100, 0,
         {{"USER ann", "331 Password required for ann"}, {"PASS pw", ""}, {"+60", "421 Timeout."}, {"+40", "[closed]"}}},
        {"penalty before the check", withUser(), 5, 0,
         {{"USER ann", "331 Password required for ann"}, {"PASS pw", ""}, {"PWD", ""}, {"+4.9", ""},
          {"+0.1", "230 User ann logged in. | 257 \"/\" is the current directory."}}},
        {"penalty before the answer", withUser(), 0, 2,
         {{"USER ann", "331 Password required for ann"}, {"PASS no", ""}, {"+1.9", ""}, {"+0.1", "530 Login incorrect."},
          {"PASS no", ""}, {"+2", "530 Login incorrect."}, {"PASS no", ""},
          {"+2", "530 Login incorrect. | 421 Too many failed logins."}, {"+10", "[closed]"}}},
    };
    for (const auto& row : rows) {
        data_ = FakeData{};
        control_ = FakeControl{};
        owner_.wait = row.wait;
        owner_.failedWait = row.failedWait;
        start(row.options);
        std::string seen;  // what went out before this step
        for (const auto& step : row.steps) {
            if (step.what == "hold")
                data_.holdTransfers = true;
            else if (step.what == "move")
                ++data_.moved;
            else if (step.what[0] == '+')
                elapse(std::stod(step.what.substr(1)));
            else
                session_->receive(step.what + "\r\n");
            std::string sent = control_.replies;
            for (auto at = sent.find("\r\n"); at != std::string::npos; at = sent.find("\r\n", at))
                sent.replace(at, 2, " | ");
            if (control_.closedNow) sent += "[closed] | ";
            EXPECT_EQ(sent.substr(seen.size()), step.replies.empty() ? "" : step.replies + " | ")
                << row.name << ", " << step.what;
            seen = sent;
        }
    }
}

TEST_F(FtpSessionTest, StatWithANameListsItOnTheControlConnection) {
    struct Row {
        std::string line, starts, holds, ends;
    } rows[] = {
        {"STAT Books", "213-Status of Books:\r\ntotal 0\r\n", "", "\r\n213 End of status."},
        {"STAT -la /", "213-Status of /:\r\ntotal ", " Books\r\n", "\r\n213 End of status."},
        {"STAT a.pdf", "213-Status of a.pdf:\r\n", "", " a.pdf\r\n213 End of status."},
        {"STAT gone", "550 gone No such file or directory.", "", ""},
        {"STAT ../x", "550 ../x: Permission denied.", "", ""},
        {"STAT", "211-localhost FTP server status:\r\n211 End of Status", "", ""},
    };
    start(FtpOptions{});
    for (const auto& row : rows) {
        const std::string reply = say({row.line});
        EXPECT_TRUE(reply.starts_with(row.starts) && reply.find(row.holds) != std::string::npos &&
                    reply.ends_with(row.ends))
            << row.line << ": " << reply;
    }
    EXPECT_TRUE(data_.sent.empty());  // nothing went on a data connection
}

TEST_F(FtpSessionTest, TheLogShowsThatAPasswordCameButNotThePassword) {
    start(withUser());
    testing::internal::CaptureStderr();
    say({"USER ann", "pass hunter2 x"});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("<PASS ****"), std::string::npos) << log;
    EXPECT_EQ(log.find("hunter2"), std::string::npos) << log;
    EXPECT_NE(log.find("<USER ann"), std::string::npos) << log;
}

TEST_F(FtpSessionTest, TlsSessionsAreTheLoggedInClientsAndOnlyItsAreShared) {
    start(tlsRequired());
    say({"AUTH TLS"});
    ASSERT_EQ(owner_.tlsOwners.count(control_.tlsContext), 1u);
    EXPECT_EQ(owner_.tlsOwners[control_.tlsContext], std::nullopt);
    owner_.tlsOwners["other"] = "ann";  // another control connection of this client
    EXPECT_FALSE(session_->acceptsTlsSession("other"));  // not logged in yet
    say({"USER ann", "PASS pw"});
    EXPECT_EQ(owner_.tlsOwners[control_.tlsContext], "ann");
    EXPECT_TRUE(session_->acceptsTlsSession("other"));
    EXPECT_FALSE(session_->acceptsTlsSession("unknown"));
}
