// TLS on a loopback connection between two sockets of this program: a reply in clear before the handshake, bytes and
// files both ways after it, and failed handshakes. Which sessions resume is checked end to end (tests/e2e/ftp_tls.py).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "SocketTestSupport.h"
#include "net/TlsCertificate.h"
#include "net/TlsContext.h"

using namespace nettest;

namespace {

class AsyncSocketTls : public ::testing::Test {
protected:
    static inline std::optional<TlsCertificate> certificate = TlsCertificate::generate();
    std::shared_ptr<TlsContext> serverContext = TlsContext::server(*certificate);
    Recorder listenerD, serverD, clientD;
    std::shared_ptr<AsyncSocket> listener = AsyncSocket::create(&listenerD);
    std::shared_ptr<AsyncSocket> client = AsyncSocket::create(&clientD);
    TlsOptions serverOptions;

    void SetUp() override {
        ASSERT_TRUE(serverContext);
        // The server announces TLS in clear, like an FTP reply, then starts it at once.
        listenerD.onAccept = [this](AsyncSocket* s) {
            s->setDelegate(&serverD);
            s->writeDataWithTimeoutTag(std::string("234 go\r\n"), -1, 1);
            s->startTls(serverContext, serverOptions, 3);
            s->readDataWithTimeoutTag(-1, 2);
        };
        ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    }
    void TearDown() override {
        client.reset();
        listenerD.accepted.clear();
        listener.reset();
        drain();
    }
    /// Connects the client, reads the clear reply and starts TLS pinned to `pin`.
    void connect(const std::string& pin, const TlsOptions& options = {}) {
        clientD.onRead = [&, pin, options](AsyncSocket* s) {
            if (clientD.received == "234 go\r\n" && !s->tls()) s->startTls(TlsContext::client(pin), options, 3);
        };
        ASSERT_TRUE(client->connectToHost("127.0.0.1", listener->localPort()));
        client->readDataWithTimeoutTag(-1, 3);
    }
};

TEST_F(AsyncSocketTls, BytesAndFilesCrossEncryptedAfterTheClearReply) {
    connect(certificate->fingerprint());
    // A file of an odd length goes through the encrypted piecewise path (or kernel TLS), after a byte write.
    char path[] = "/tmp/velkaro-tls-XXXXXX";
    int fd = ::mkstemp(path);
    std::string content(3 * 1048576 + 77, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 % 251);
    ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
    ::unlink(path);
    ASSERT_TRUE(pumpUntil([&] { return clientD.secured; })) << ::testing::PrintToString(clientD.events) << ::testing::PrintToString(serverD.events) << (clientD.lastError ? clientD.lastError->localizedDescription : "") << (serverD.lastError ? serverD.lastError->localizedDescription : "") << client->description();
    client->writeDataWithTimeoutTag(std::string("head"), 5, 4);
    client->writeFileWithTimeoutTag(UniqueFd(fd), 0, AsyncSocket::ToEndOfFile, 5, 5);
    ASSERT_TRUE(pumpUntil([&] { return serverD.received.size() == content.size() + 4; }, 10000));
    EXPECT_EQ(serverD.received, "head" + content);
    EXPECT_EQ(clientD.writeTags, (std::vector<std::int32_t>{4, 5}));
    EXPECT_TRUE(clientD.secured && serverD.secured && client->isSecure());
    // The server's handshake marker sends no write message of its own; its reply's message came in clear.
    EXPECT_EQ(serverD.writeTags, std::vector<std::int32_t>{1});
    listenerD.accepted.at(0)->writeDataWithTimeoutTag(std::string("back"), 5, 6);
    listenerD.accepted.at(0)->disconnectAfterWriting();
    ASSERT_TRUE(pumpUntil([&] { return clientD.didDisconnect == 1; }));
    EXPECT_EQ(clientD.received, "234 go\r\nback");
    EXPECT_FALSE(clientD.lastError) << clientD.lastError->localizedDescription;  // the closing alert ended it
}

TEST_F(AsyncSocketTls, FailedHandshakesCloseWithTheirErrorAndTheListenerServesOn) {
    struct Row {
        const char* what;
        std::string pin;       // client pin; empty: a plain peer sends `garbage`
        std::string garbage;   // empty with no pin: the peer says nothing
        Recorder* failing;     // the side whose socket reports the error
        const char* domain;
    };
    std::vector<Row> rows = {
        {"another certificate", std::string(95, 'A'), "", &clientD, TlsErrorDomain},
        {"garbage instead of a handshake", "", "GET / HTTP/1.0\r\n\r\n", &serverD, TlsErrorDomain},
        {"silence past the time-out", "", "", &serverD, AsyncSocketErrorDomain},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<Peer> plain;
        if (!row.pin.empty()) {
            connect(row.pin);
        } else {
            plain = std::make_unique<Peer>(listener->localPort());
            if (!row.garbage.empty()) plain->send(row.garbage);
        }
        ASSERT_TRUE(pumpUntil([&] { return row.failing->sawWillDisconnect; }, 5000));
        ASSERT_TRUE(row.failing->lastError);
        EXPECT_EQ(row.failing->lastError->domain, row.domain);
        EXPECT_FALSE(serverD.secured);
        client = AsyncSocket::create(&clientD);
        listenerD.accepted.clear();
        clientD = Recorder();
        serverD = Recorder();
    }
    connect(certificate->fingerprint());
    EXPECT_TRUE(pumpUntil([&] { return clientD.secured && serverD.secured; }));
}

TEST_F(AsyncSocketTls, BytesSentRightBehindTheHandshakeReachTheReaderBothWays) {
    // Each side queues its first bytes before its handshake is done: they leave right behind its last handshake
    // message and arrive with it.
    listenerD.onAccept = [this](AsyncSocket* s) {
        s->setDelegate(&serverD);
        s->writeDataWithTimeoutTag(std::string("234 go\r\n"), -1, 1);
        s->startTls(serverContext, serverOptions, 3);
        s->writeDataWithTimeoutTag(std::string("from the server"), -1, 7);
        s->readDataWithTimeoutTag(-1, 2);
    };
    clientD.onRead = [&](AsyncSocket* s) {
        if (clientD.received != "234 go\r\n" || s->tls()) return;
        s->startTls(TlsContext::client(certificate->fingerprint()), {}, 3);
        s->writeDataWithTimeoutTag(std::string("from the client"), -1, 8);
    };
    ASSERT_TRUE(client->connectToHost("127.0.0.1", listener->localPort()));
    client->readDataWithTimeoutTag(-1, 3);
    ASSERT_TRUE(pumpUntil([&] { return serverD.received.size() >= 15 && clientD.received.size() >= 23; }))
        << serverD.received << " | " << clientD.received;
    EXPECT_EQ(serverD.received, "from the client");
    EXPECT_EQ(clientD.received, "234 go\r\nfrom the server");
}

TEST_F(AsyncSocketTls, BytesDecryptedWhileReadingIsPausedReachTheReader) {
    // Reading pauses in every delivery and goes on a turn later. A delivery that fills the read buffer in the
    // middle of a record leaves the rest of the record decrypted inside TLS, where no readiness announces it.
    AsyncSocket* server = nullptr;
    listenerD.onAccept = [&](AsyncSocket* s) {
        server = s;
        s->setDelegate(&serverD);
        s->writeDataWithTimeoutTag(std::string("234 go\r\n"), -1, 1);
        s->startTls(serverContext, serverOptions, 3);
        s->pauseReading();
        s->readDataWithTimeoutTag(-1, 2);
    };
    serverD.onReadBytes = [&](std::string_view) { server->pauseReading(); };
    connect(certificate->fingerprint());
    ASSERT_TRUE(pumpUntil([&] { return clientD.secured; }));
    std::string bytes(1000 + (1 << 20), '\0');  // an odd start, then exactly the read buffer's size
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 13 % 251);
    client->writeDataWithTimeoutTag(bytes.substr(0, 1000), 5, 4);
    client->writeDataWithTimeoutTag(bytes.substr(1000), 5, 5);
    ASSERT_TRUE(pumpUntil([&] { return clientD.writeTags.size() == 2; }, 10000));
    drain(100);  // everything sent waits on the server's side
    for (int round = 0; round < 100 && serverD.received.size() < bytes.size(); ++round) {
        server->resumeReading();
        const std::size_t before = serverD.received.size();
        if (!pumpUntil([&] { return serverD.received.size() > before; }, 1000)) break;
    }
    EXPECT_EQ(serverD.received.size(), bytes.size());
    EXPECT_TRUE(serverD.received == bytes);
}

}  // namespace
