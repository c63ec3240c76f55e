// Reads, writes, time-outs, the peer's end and closing, over a loopback connection to a plain blocking peer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include "SocketTestSupport.h"

using namespace nettest;

namespace {

class AsyncSocketTransfer : public ::testing::Test {
protected:
    Recorder serverD;  // the listener's delegate
    Recorder conn;     // the accepted socket's delegate
    std::function<void(AsyncSocket*)> setUpConnection;
    std::shared_ptr<AsyncSocket> listener;
    std::unique_ptr<Peer> peer;

    void SetUp() override {
        serverD.onAccept = [this](AsyncSocket* s) {
            s->setDelegate(&conn);
            if (setUpConnection) setUpConnection(s);
        };
        listener = AsyncSocket::create(&serverD);
        ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    }
    void TearDown() override {
        serverD.accepted.clear();
        listener.reset();
        drain();
    }
    /// Connects the peer and returns the accepted, connected socket.
    AsyncSocket& open() {
        peer = std::make_unique<Peer>(listener->localPort());
        EXPECT_TRUE(peer->ok());
        EXPECT_TRUE(pumpUntil([&] { return conn.connected; }));
        return *serverD.accepted.at(0);
    }
    std::string peerReadUntilEof(bool* eof) {
        std::string all;
        *eof = false;
        pumpUntil([&] {
            all += peer->readAvailable(eof);
            return *eof;
        });
        return all;
    }
};

TEST_F(AsyncSocketTransfer, ChunksArriveAsTheyCameWithTheCurrentTag) {
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 7); };
    open();
    peer->send("0123456789");
    ASSERT_TRUE(pumpUntil([&] { return conn.received.size() == 10; }));
    EXPECT_EQ(conn.pieces, std::vector<std::string>{"0123456789"});
    EXPECT_EQ(conn.readTags, std::vector<std::int32_t>{7});

    // Two lines in one segment are one piece; a line split in two segments is two pieces.
    peer->send("USER a\r\nPASS b\r\n");
    ASSERT_TRUE(pumpUntil([&] { return conn.pieces.size() == 2; }));
    EXPECT_EQ(conn.pieces[1], "USER a\r\nPASS b\r\n");
    peer->send("LI");
    ASSERT_TRUE(pumpUntil([&] { return conn.pieces.size() == 3; }));
    peer->send("ST\r\n");
    ASSERT_TRUE(pumpUntil([&] { return conn.pieces.size() == 4; }));
    EXPECT_EQ(conn.pieces[2], "LI");
    EXPECT_EQ(conn.pieces[3], "ST\r\n");
}

TEST_F(AsyncSocketTransfer, RequestsQueuedBehindTheCurrentReadNeverStart) {
    setUpConnection = [](AsyncSocket* s) {
        s->readDataWithTimeoutTag(-1, 1);
        s->readDataWithTimeoutTag(-1, 2);
    };
    AsyncSocket& s = open();
    for (const char* piece : {"first", "second", "third"}) {
        peer->send(piece);
        ASSERT_TRUE(pumpUntil([&] { return conn.received.find(piece) != std::string::npos; }));
    }
    EXPECT_EQ(conn.received, "firstsecondthird");
    for (auto tag : conn.readTags) EXPECT_EQ(tag, 1);
    EXPECT_NE(s.description().find("has queued 1 reads 0 writes, current read tag 1, "),
              std::string::npos)
        << s.description();
}

TEST_F(AsyncSocketTransfer, EmptyWritesAreIgnored) {
    AsyncSocket& s = open();
    s.writeDataWithTimeoutTag(std::string(), -1, 0);
    s.writeDataWithTimeoutTag(std::shared_ptr<const std::string>(), -1, 0);
    EXPECT_TRUE(s.canSafelySetDelegate());
    turns(3);
    EXPECT_TRUE(conn.writeTags.empty());
    s.readDataWithTimeoutTag(-1, 0);
    EXPECT_FALSE(s.canSafelySetDelegate());
}

TEST_F(AsyncSocketTransfer, ReadTimeOutZeroClosesOnTheNextTurn) {
    AsyncSocket& s = open();
    s.readDataWithTimeoutTag(0, 3);
    turns(1);  // the read becomes current and starts its timer
    EXPECT_FALSE(conn.sawWillDisconnect);
    turns(1);  // the timer fires
    ASSERT_TRUE(conn.sawWillDisconnect);
    ASSERT_TRUE(conn.lastError.has_value());
    EXPECT_EQ(conn.lastError->domain, "AsyncSocketErrorDomain");
    EXPECT_EQ(conn.lastError->code, 3);
    EXPECT_EQ(conn.lastError->localizedDescription, "Read operation timed out");
    EXPECT_EQ(conn.didDisconnect, 0);
    ASSERT_TRUE(pumpUntil([&] { return conn.didDisconnect == 1; }));
    EXPECT_EQ(s.getCFSocket(), -1);
}

TEST_F(AsyncSocketTransfer, WriteTimeOutWhenThePeerDoesNotRead) {
    for (bool file : {false, true}) {
        SCOPED_TRACE(file ? "file" : "bytes");
        TearDown();
        conn = Recorder{};
        SetUp();
        AsyncSocket& s = open();
        if (file) {
            UniqueFd big(::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
            ASSERT_EQ(::ftruncate(big.get(), 64 << 20), 0);  // sparse: nothing written to disk
            s.writeFileWithTimeoutTag(std::move(big), 0, AsyncSocket::ToEndOfFile, 0.05, 9);
        } else {
            s.writeDataWithTimeoutTag(std::string(64 << 20, 'x'), 0.05, 9);
        }
        ASSERT_TRUE(pumpUntil([&] { return conn.sawWillDisconnect; }));
        ASSERT_TRUE(conn.lastError.has_value());
        EXPECT_EQ(conn.lastError->code, 4);
        EXPECT_EQ(conn.lastError->localizedDescription, "Write operation timed out");
        EXPECT_TRUE(conn.writeTags.empty());
        EXPECT_EQ(s.unsentByteCount(), 0u);
    }
}

TEST_F(AsyncSocketTransfer, LongWriteCompletesOnceWithEveryByte) {
    AsyncSocket& s = open();
    std::string data(10000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char('a' + i % 26);
    s.writeDataWithTimeoutTag(data, -1, 5);
    std::string got;
    ASSERT_TRUE(pumpUntil([&] {
        got += peer->readAvailable();
        return got.size() >= data.size() && !conn.writeTags.empty();
    }));
    EXPECT_EQ(got, data);
    turns(3);
    EXPECT_EQ(conn.writeTags, std::vector<std::int32_t>{5});
}

TEST_F(AsyncSocketTransfer, BigTransferBetweenTwoSocketsKeepsOrder) {
    Recorder client;
    AsyncSocket& s = open();
    peer.reset();  // the raw peer is not used here
    (void)s;
    auto c = AsyncSocket::create(&client);
    Recorder conn2;
    serverD.onAccept = [&](AsyncSocket* a) {
        a->setDelegate(&conn2);
        a->readDataWithTimeoutTag(-1, 0);
    };
    ASSERT_TRUE(c->connectToHost("127.0.0.1", listener->localPort()));
    std::string data(4 << 20, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + i / 4096);
    auto shared = std::make_shared<const std::string>(data);
    c->writeDataWithTimeoutTag(shared, -1, 1);  // queued while still connecting
    c->writeDataWithTimeoutTag(shared, -1, 2);
    ASSERT_TRUE(pumpUntil([&] { return conn2.received.size() >= 2 * data.size(); }, 10000));
    EXPECT_TRUE(conn2.received == data + data);
    EXPECT_EQ(client.writeTags, (std::vector<std::int32_t>{1, 2}));
}

TEST_F(AsyncSocketTransfer, DisconnectAfterWritingSendsTheQueuedReplyFirst) {
    AsyncSocket& s = open();
    s.writeDataWithTimeoutTag(std::string("221 Goodbye.\r\n"), -1, 1);
    s.writeDataWithTimeoutTag(std::string(100000, 'z'), -1, 2);
    s.disconnectAfterWriting();
    EXPECT_NE(s.description().find(", will disconnect soon"), std::string::npos);
    s.writeDataWithTimeoutTag(std::string("ignored"), -1, 3);
    s.readDataWithTimeoutTag(-1, 4);
    bool eof = false;
    std::string got = peerReadUntilEof(&eof);
    EXPECT_TRUE(eof);
    EXPECT_EQ(got, "221 Goodbye.\r\n" + std::string(100000, 'z'));
    ASSERT_TRUE(pumpUntil([&] { return conn.didDisconnect == 1; }));
    EXPECT_EQ(conn.writeTags, (std::vector<std::int32_t>{1, 2}));
    EXPECT_FALSE(conn.sawWillDisconnect);  // a plain disconnect
}

TEST_F(AsyncSocketTransfer, DisconnectAfterWritingWithNothingQueuedClosesOnTheNextTurn) {
    AsyncSocket& s = open();
    s.disconnectAfterWriting();
    EXPECT_TRUE(s.isConnected());
    turns(1);
    EXPECT_FALSE(s.isConnected());
}

TEST_F(AsyncSocketTransfer, PeerEndAskedOfTheDelegate) {
    struct Case {
        std::optional<bool> answer;  // empty: the delegate does not implement onReadStreamEnded
        std::vector<std::string> events;
        bool staysOpen;
    };
    const Case cases[] = {
        {std::nullopt, {"willDisconnect", "didDisconnect"}, false},
        {true, {"ended", "willDisconnect", "didDisconnect"}, false},
        {false, {"ended"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? (*c.answer ? "true" : "false") : "not implemented");
        TearDown();
        conn = Recorder{};
        SetUp();
        conn.readStreamEndedAnswer = c.answer;
        setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
        AsyncSocket& s = open();
        conn.events.clear();
        // The close notice is deferred: it has not come while the socket is still closing.
        int noticesDuringClose = -1;
        conn.onWillDisconnect = [&](AsyncSocket* sock) {
            noticesDuringClose = conn.didDisconnect;
            EXPECT_EQ(sock->connectedHost(), "127.0.0.1");  // still queryable here
        };
        peer->shutdownWrite();
        ASSERT_TRUE(pumpUntil([&] { return !conn.events.empty(); }));
        turns(2);
        if (c.events.size() > 1) {
            EXPECT_EQ(noticesDuringClose, 0);
        }
        EXPECT_EQ(conn.events, c.events);
        EXPECT_FALSE(conn.lastError.has_value());
        if (c.staysOpen) {
            s.writeDataWithTimeoutTag(std::string("still here"), -1, 8);
            std::string got;
            ASSERT_TRUE(pumpUntil([&] {
                got += peer->readAvailable();
                return got == "still here" && !conn.writeTags.empty();
            }));
            EXPECT_EQ(s.getCFSocket() >= 0, true);
        }
        setUpConnection = nullptr;
    }
}

TEST_F(AsyncSocketTransfer, ResetByPeerIsAStreamError) {
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    open();
    linger l{1, 0};
    ::setsockopt(peer->fd(), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    peer->close();
    ASSERT_TRUE(pumpUntil([&] { return conn.didDisconnect == 1; }));
    ASSERT_TRUE(conn.lastError.has_value());
    EXPECT_EQ(conn.lastError->domain, "NSPOSIXErrorDomain");
    EXPECT_EQ(conn.lastError->code, ECONNRESET);
}

TEST_F(AsyncSocketTransfer, DisconnectNoticeComesAfterDisconnectReturns) {
    AsyncSocket& s = open();
    s.readDataWithTimeoutTag(-1, 0);
    s.writeDataWithTimeoutTag(std::string("queued"), -1, 0);
    conn.events.clear();
    s.disconnect();
    EXPECT_TRUE(conn.events.empty());
    EXPECT_TRUE(s.canSafelySetDelegate());  // queued requests were dropped
    s.disconnect();                           // closing again does nothing visible
    turns(1);
    EXPECT_EQ(conn.events, std::vector<std::string>{"didDisconnect"});
    turns(2);
    EXPECT_EQ(conn.didDisconnect, 1);
    bool eof = false;
    EXPECT_EQ(peerReadUntilEof(&eof), "");
    EXPECT_TRUE(eof);
}

TEST_F(AsyncSocketTransfer, DestructionWithdrawsTheDisconnectNotice) {
    open();
    serverD.accepted.at(0)->disconnect();
    serverD.accepted.clear();  // the last reference: destroyed before the next turn
    turns(3);
    EXPECT_EQ(conn.didDisconnect, 0);
}

TEST_F(AsyncSocketTransfer, ClosedSocketCanStartAgain) {
    AsyncSocket& s = open();
    s.disconnect();
    EXPECT_NO_THROW(s.acceptOnAddress("127.0.0.1", 0));
    EXPECT_TRUE(s.isIPv4());
    EXPECT_FALSE(s.isConnected());
}

TEST_F(AsyncSocketTransfer, FilesAreSentInOrderWithByteWritesAndReportedLikeThem) {
    std::string content(3 << 20, '\0');  // several sendfile calls and several events
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = char(i * 13 + i / 1000);
    char path[] = "/tmp/velkaro-sendfile-XXXXXX";
    UniqueFd written(::mkstemp(path));
    ASSERT_TRUE(written);
    ASSERT_EQ(::write(written.get(), content.data(), content.size()), ssize_t(content.size()));
    ::unlink(path);
    // A file system that refuses sendfile (process information here) is read and sent in pieces instead.
    std::string cmdline;
    {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        cmdline.assign(std::istreambuf_iterator<char>(in), {});
    }
    struct Case {
        const char* what;
        const char* file;  // nullptr: the scratch file
        off_t offset;
        std::uint64_t length;
        std::string sent;  // what the peer gets of the file
        bool fails;        // with EIO, after `sent`
        bool noSendfile = false;
    };
    const Case cases[] = {
        {"whole file", nullptr, 0, AsyncSocket::ToEndOfFile, content, false},
        {"from an offset", nullptr, 1000, AsyncSocket::ToEndOfFile, content.substr(1000), false},
        {"a span", nullptr, 10, 5000, content.substr(10, 5000), false},
        {"nothing left past the end", nullptr, off_t(content.size()), AsyncSocket::ToEndOfFile, "", false},
        {"shorter than promised", nullptr, off_t(content.size()) - 100, 200, content.substr(content.size() - 100),
         true},
        {"without sendfile", "/proc/self/cmdline", 0, cmdline.size(), cmdline, false},
        {"without sendfile, shorter than promised", "/proc/self/cmdline", 0, cmdline.size() + 10, cmdline, true},
        {"without sendfile, many sends", nullptr, 1000, AsyncSocket::ToEndOfFile, content.substr(1000), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        conn = Recorder{};
        SetUp();
        AsyncSocket& s = open();
        AsyncSocket::setSendfileForTesting(!c.noSendfile);
        UniqueFd fd(c.file ? ::open(c.file, O_RDONLY | O_CLOEXEC) : ::dup(written.get()));
        ASSERT_TRUE(fd);
        s.writeDataWithTimeoutTag(std::string("<"), -1, 1);
        s.writeFileWithTimeoutTag(std::move(fd), c.offset, c.length, 10, 2);
        s.writeDataWithTimeoutTag(std::string(">"), -1, 3);
        // Counted as promised; up to the end of the file, as the file is now.
        const std::uint64_t promised = c.length == AsyncSocket::ToEndOfFile ? content.size() - c.offset : c.length;
        if (!c.file) EXPECT_EQ(s.unsentByteCount(), 2 + promised);
        bool eof = false;
        std::string got;
        ASSERT_TRUE(pumpUntil(
            [&] {
                got += peer->readAvailable(&eof);
                return (c.fails && eof) || (!c.fails && got.size() == c.sent.size() + 2 && conn.writeTags.size() == 3);
            },
            10000));
        if (c.fails) {
            EXPECT_TRUE(got == "<" + c.sent) << got.size();
            EXPECT_EQ(conn.writeTags, std::vector<std::int32_t>{1});
            ASSERT_TRUE(conn.lastError.has_value());
            EXPECT_EQ(conn.lastError->domain, "NSPOSIXErrorDomain");
            EXPECT_EQ(conn.lastError->code, EIO);
        } else {
            EXPECT_TRUE(got == "<" + c.sent + ">") << got.size();
            EXPECT_EQ(conn.writeTags, (std::vector<std::int32_t>{1, 2, 3}));
            EXPECT_EQ(s.unsentByteCount(), 0u);
            EXPECT_FALSE(conn.sawWillDisconnect);
        }
        AsyncSocket::setSendfileForTesting(true);
    }
}

TEST_F(AsyncSocketTransfer, ReceivedBytesGoIntoAFileUnlessItRefusesSplice) {
    // A file opened to append refuses splice: the bytes taken for it reach the delegate instead, none is lost.
    for (int flags : {O_WRONLY, O_WRONLY | O_APPEND}) {
        const std::string path = ::testing::TempDir() + "/sink.bin";
        std::ofstream(path) << "abc";
        UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC));
        std::uint64_t reported = 0;
        conn = Recorder{};
        setUpConnection = [&](AsyncSocket* s) {
            s->readDataWithTimeoutTag(-1, 0);
            EXPECT_TRUE(s->receiveIntoFile(fd.get(), 3, [&](std::uint64_t n, int error) {
                reported += n;
                EXPECT_EQ(error, 0);
            }));
        };
        open();
        const std::string bytes(300000, 'x');
        peer->send(bytes);
        ASSERT_TRUE(pumpUntil([&] { return reported + conn.received.size() == bytes.size(); }));
        std::ifstream in(path);
        const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(file, flags & O_APPEND ? "abc" : "abc" + bytes);
        EXPECT_EQ(conn.received, flags & O_APPEND ? bytes : "");
        peer.reset();
        serverD.accepted.clear();
        drain();
    }
}

TEST_F(AsyncSocketTransfer, PausedReadingLeavesBytesAndTheEndWaitingUntilResumed) {
    conn.readStreamEndedAnswer = true;
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    AsyncSocket& s = open();
    conn.events.clear();
    s.pauseReading();
    EXPECT_TRUE(s.isReadingPaused());
    peer->send("waiting");
    peer->shutdownWrite();
    drain(100);
    EXPECT_EQ(conn.received, "");
    EXPECT_TRUE(s.isConnected());
    s.resumeReading();
    ASSERT_TRUE(pumpUntil([&] { return conn.didDisconnect == 1; }));
    EXPECT_EQ(conn.received, "waiting");
    EXPECT_EQ(conn.events, (std::vector<std::string>{"read 0", "ended", "willDisconnect", "didDisconnect"}));
}

TEST_F(AsyncSocketTransfer, APauseInsideADeliveryStopsTheEventsFurtherReads) {
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    AsyncSocket& s = open();
    conn.onReadBytes = [&](std::string_view) { s.pauseReading(); };
    const std::string bytes(4 << 20, 'p');  // as much as the system takes: several reads' worth, waiting at once
    const ssize_t sent = ::send(peer->fd(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ASSERT_GT(sent, 1 << 20);
    drain(200);
    EXPECT_EQ(conn.pieces.size(), 1u);
    conn.onReadBytes = nullptr;
    s.resumeReading();
    ASSERT_TRUE(pumpUntil([&] { return conn.received.size() == std::size_t(sent); }));
}

TEST_F(AsyncSocketTransfer, ADeliveryThatTurnsTheLoopKeepsItsBytes) {
    // The read buffer is shared by the loop's sockets: a delegate that turns the loop inside a delivery lets a
    // second socket read meanwhile, which must not overwrite the bytes of the first delivery.
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    open();
    auto second = std::make_unique<Peer>(listener->localPort());
    ASSERT_TRUE(pumpUntil([&] { return serverD.accepted.size() == 2; }));
    turns(3);
    std::string during, after;
    conn.onReadBytes = [&](std::string_view data) {
        if (data != "first delivery") return;
        second->send("SECOND DELIVERY");
        pumpUntil([&] { return conn.received.find("SECOND") != std::string::npos; });
        during = std::string(data);
    };
    peer->send("first delivery");
    ASSERT_TRUE(pumpUntil([&] { return !during.empty(); }));
    EXPECT_EQ(during, "first delivery");
    EXPECT_EQ(conn.pieces, (std::vector<std::string>{"first delivery", "SECOND DELIVERY"}));
}

TEST_F(AsyncSocketTransfer, AcceptingAtTheDescriptorLimitPausesInsteadOfSpinning) {
    setUpConnection = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    open();  // a client being served throughout
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    int highest = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        highest = std::max(highest, std::atoi(e.path().filename().c_str()));
    rlimit low = saved;
    low.rlim_cur = rlim_t(highest) + 16;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    auto waiting = std::make_unique<Peer>(listener->localPort());  // queued in the backlog
    std::vector<UniqueFd> fillers;
    for (int fd; (fd = ::dup(0)) >= 0;) fillers.emplace_back(fd);

    int busyTurns = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end)
        if (RunLoop::main().runOnce(10)) ++busyTurns;
    EXPECT_LT(busyTurns, 20);  // a retry now and then, not an event on every turn
    EXPECT_EQ(serverD.accepted.size(), 1u);
    peer->send("still served");
    EXPECT_TRUE(pumpUntil([&] { return conn.received == "still served"; }));

    fillers.clear();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_TRUE(pumpUntil([&] { return serverD.accepted.size() == 2; }));
}

}  // namespace
