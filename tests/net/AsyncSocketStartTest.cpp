// Creation, queries, listening, accepting and connecting.
#include <gtest/gtest.h>

#include "SocketTestSupport.h"
#include "net/HostResolver.h"

using namespace nettest;

namespace {

class AsyncSocketStart : public ::testing::Test {
protected:
    void TearDown() override { drain(); }
};

TEST_F(AsyncSocketStart, FreshSocketAnswersAsIdle) {
    Recorder d;
    auto s = AsyncSocket::create(&d, 42);
    EXPECT_FALSE(s->isConnected());
    EXPECT_EQ(s->connectedHost(), "");
    EXPECT_EQ(s->connectedPort(), 0);
    EXPECT_EQ(s->localPort(), 0);
    EXPECT_FALSE(s->isIPv4());
    EXPECT_FALSE(s->isIPv6());
    EXPECT_TRUE(s->canSafelySetDelegate());
    EXPECT_EQ(s->getCFSocket(), -1);
    EXPECT_EQ(s->getCFReadStream(), nullptr);
    EXPECT_EQ(s->userData(), 42);
    EXPECT_EQ(s->delegate(), &d);
    char id[32];
    std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(s.get())));
    EXPECT_EQ(s->description(), std::string("<AsyncSocket ") + id +
                                    " local nowhere remote nowhere has queued 0 reads 0 writes, no current read, "
                                    "no current write, read stream 0x0 not open, write stream 0x0 not open, "
                                    "not connected>");
    s->readDataWithTimeoutTag(-1, 0);
    s->writeDataWithTimeoutTag(std::string("x"), -1, 0);
    EXPECT_FALSE(s->canSafelySetDelegate());
    EXPECT_NE(s->description().find("has queued 1 reads 1 writes, "), std::string::npos);
}

TEST_F(AsyncSocketStart, MisuseRaisesWithTheReason) {
    Recorder d;
    struct Case {
        const char* what;
        std::function<void(AsyncSocket&)> call;
        bool withDelegate;
        bool listenFirst;
        const char* reason;
    };
    const Case cases[] = {
        {"accept without delegate", [](AsyncSocket& s) { s.acceptOnPort(0); }, false, false,
         "Attempting to accept without a delegate. Set a delegate first."},
        {"connect without delegate", [](AsyncSocket& s) { s.connectToHost("127.0.0.1", 9); }, false, false,
         "Attempting to connect without a delegate. Set a delegate first."},
        {"accept twice", [](AsyncSocket& s) { s.acceptOnAddress("127.0.0.1", 0); }, true, true,
         "Attempting to accept while connected or accepting connections. Disconnect first."},
        {"connect while listening", [](AsyncSocket& s) { s.connectToHost("127.0.0.1", 9); }, true, true,
         "Attempting to connect while connected or accepting connections. Disconnect first."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = AsyncSocket::create(c.withDelegate ? &d : nullptr);
        if (c.listenFirst) {
            ASSERT_TRUE(s->acceptOnAddress("127.0.0.1", 0));
        }
        try {
            c.call(*s);
            ADD_FAILURE() << "no exception";
        } catch (const AsyncSocketException& e) {
            EXPECT_EQ(e.name(), "AsyncSocketException");
            EXPECT_EQ(e.reason(), c.reason);
        }
        // The operation did not go on: a listener is still the same listener.
        EXPECT_EQ(s->isIPv4(), c.listenFirst);
    }
}

TEST_F(AsyncSocketStart, PortInUseFailsWithGeneralErrorAndLeavesNoHandles) {
    Recorder d;
    auto first = AsyncSocket::create(&d);
    ASSERT_TRUE(first->acceptOnAddress("127.0.0.1", 0));
    auto second = AsyncSocket::create(&d);
    second->readDataWithTimeoutTag(-1, 0);
    Error err;
    EXPECT_FALSE(second->acceptOnAddress("127.0.0.1", first->localPort(), &err));
    EXPECT_EQ(err.domain, "AsyncSocketErrorDomain");
    EXPECT_EQ(err.code, -1);
    EXPECT_EQ(err.localizedDescription, "General CFSocket error");
    EXPECT_EQ(second->getCFSocket(), -1);
    EXPECT_FALSE(second->isIPv4());
    EXPECT_FALSE(second->isIPv6());
    EXPECT_FALSE(second->canSafelySetDelegate());  // the queued read stays queued
    // Without handles it can be started again, and a failed start sent no close messages.
    EXPECT_TRUE(second->acceptOnAddress("127.0.0.1", 0));
    turns(3);
    EXPECT_TRUE(d.events.empty());
}

TEST_F(AsyncSocketStart, PortZeroGivesBothFamiliesOnePort) {
    Recorder d;
    auto s = AsyncSocket::create(&d);
    ASSERT_TRUE(s->acceptOnPort(0));
    EXPECT_TRUE(s->isIPv4());
    EXPECT_TRUE(s->isIPv6());
    EXPECT_FALSE(s->isConnected());  // a listener has no streams
    std::uint16_t port = s->localPort();
    ASSERT_NE(port, 0);
    Peer v4(port), v6(port, true);
    EXPECT_TRUE(v4.ok());
    EXPECT_TRUE(v6.ok());
    ASSERT_TRUE(pumpUntil([&] { return d.accepted.size() == 2; }));
    ASSERT_TRUE(pumpUntil([&] { return d.accepted[0]->isConnected() && d.accepted[1]->isConnected(); }));
    int v6count = int(d.accepted[0]->isIPv6()) + int(d.accepted[1]->isIPv6());
    EXPECT_EQ(v6count, 1);
}

TEST_F(AsyncSocketStart, AddressChoosesTheFamilies) {
    struct Case {
        const char* address;
        bool v4, v6;
        const char* localHost;  // of the IPv4 listener if any, else the IPv6 one
    };
    const Case cases[] = {
        {"localhost", true, true, "127.0.0.1"},
        {"loopback", true, true, "127.0.0.1"},
        {"127.0.0.1", true, false, "127.0.0.1"},  // through the look-up: IPv4 only
        {"::1", false, true, "::1"},              // look-up with IPv6 entries only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        Recorder d;
        auto s = AsyncSocket::create(&d);
        Error err;
        ASSERT_TRUE(s->acceptOnAddress(c.address, 0, &err)) << err.localizedDescription;
        EXPECT_EQ(s->isIPv4(), c.v4);
        EXPECT_EQ(s->isIPv6(), c.v6);
        EXPECT_EQ(s->localHost(), c.localHost);
    }
}

TEST_F(AsyncSocketStart, OnlyExactLowerCaseLocalhostIsTheShortcut) {
    // "LOCALHOST" goes through the name look-up: it listens on whatever that yields, which is loopback only, and
    // at most one address per family.
    Recorder d;
    auto s = AsyncSocket::create(&d);
    ASSERT_TRUE(s->acceptOnAddress("LOCALHOST", 0));
    EXPECT_TRUE(s->isIPv4() || s->isIPv6());
    std::string host = s->localHost();
    EXPECT_TRUE(host == "127.0.0.1" || host == "::1") << host;
}

TEST_F(AsyncSocketStart, AcceptedSocketNotKeptIsClosedAtTheEndOfTheEvent) {
    Recorder d;
    d.keepAccepted = false;
    auto s = AsyncSocket::create(&d);
    ASSERT_TRUE(s->acceptOnAddress("127.0.0.1", 0));
    Peer peer(s->localPort());
    ASSERT_TRUE(pumpUntil([&] { return !d.events.empty(); }));
    bool eof = false;
    ASSERT_TRUE(pumpUntil([&] {
        peer.readAvailable(&eof);
        return eof;
    }));
    // The new socket has the listener's delegate until someone changes it, so it is asked before opening.
    EXPECT_EQ(d.events, (std::vector<std::string>{"accept", "willConnect"}));
}

TEST_F(AsyncSocketStart, AcceptedSocketConnectsAndAsksWillConnect) {
    Recorder server, conn;
    server.onAccept = [&](AsyncSocket* s) { s->setDelegate(&conn); };
    auto listener = AsyncSocket::create(&server);
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer peer(listener->localPort());
    ASSERT_TRUE(pumpUntil([&] { return conn.connected; }));
    ASSERT_EQ(conn.events.size(), 2u);
    EXPECT_EQ(conn.events[0], "willConnect");
    EXPECT_EQ(conn.events[1].rfind("connect 127.0.0.1 ", 0), 0u);
    auto& s = *server.accepted.at(0);
    EXPECT_TRUE(s.isConnected());
    EXPECT_TRUE(s.isIPv4());
    EXPECT_EQ(s.localPort(), listener->localPort());
    EXPECT_EQ(s.connectedHost(), "127.0.0.1");
}

TEST_F(AsyncSocketStart, AcceptedSocketRunsOnTheLoopTheDelegateNames) {
    RunLoop other;
    Recorder server, conn;
    server.runLoopForNew = &other;
    server.onAccept = [&](AsyncSocket* s) { s->setDelegate(&conn); };
    auto listener = AsyncSocket::create(&server);
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer peer(listener->localPort());
    ASSERT_TRUE(pumpUntil([&] { return !server.accepted.empty(); }));
    drain(50);
    EXPECT_FALSE(conn.connected);  // its events wait in the other loop
    for (int i = 0; i < 100 && !conn.connected; ++i) other.runOnce(10);
    EXPECT_TRUE(conn.connected);
    server.accepted.clear();  // closes it while `other` still exists

    // A listener made for `other` accepts there, and its sockets stay there unless the delegate says otherwise.
    server.runLoopForNew = nullptr;
    conn = Recorder{};
    auto elsewhere = AsyncSocket::create(&server, 0, other);
    ASSERT_TRUE(elsewhere->acceptOnAddress("127.0.0.1", 0));
    Peer second(elsewhere->localPort());
    drain(50);
    EXPECT_TRUE(server.accepted.empty());
    for (int i = 0; i < 100 && !conn.connected; ++i) other.runOnce(10);
    EXPECT_TRUE(conn.connected);
    server.accepted.clear();
    elsewhere.reset();
}

TEST_F(AsyncSocketStart, AcceptedSocketRefusedByWillConnectClosesQuietly) {
    Recorder server, conn;
    conn.willConnectAnswer = false;
    server.onAccept = [&](AsyncSocket* s) { s->setDelegate(&conn); };
    auto listener = AsyncSocket::create(&server);
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer peer(listener->localPort());
    bool eof = false;
    ASSERT_TRUE(pumpUntil([&] {
        peer.readAvailable(&eof);
        return eof;
    }));
    turns(3);
    EXPECT_EQ(conn.events, std::vector<std::string>{"willConnect"});
    EXPECT_EQ(server.accepted.at(0)->getCFSocket(), -1);
}

TEST_F(AsyncSocketStart, ConnectOutcomes) {
    Recorder server;
    auto listener = AsyncSocket::create(&server);
    ASSERT_TRUE(listener->acceptOnAddress("localhost", 0));  // 127.0.0.1 and ::1 on one port
    std::uint16_t open = listener->localPort();
    // A port nobody listens on: bind one and close it.
    auto probe = AsyncSocket::create(&server);
    ASSERT_TRUE(probe->acceptOnAddress("127.0.0.1", 0));
    std::uint16_t closed = probe->localPort();
    probe->disconnect();

    struct Case {
        const char* what;
        std::function<bool(AsyncSocket&, Error*)> start;
        bool connects;
    };
    auto address = [](std::uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    };
    const Case cases[] = {
        {"numeric host", [&](AsyncSocket& s, Error* e) { return s.connectToHost("127.0.0.1", open, e); }, true},
        {"numeric IPv6 host", [&](AsyncSocket& s, Error* e) { return s.connectToHost("::1", open, e); }, true},
        {"host name", [&](AsyncSocket& s, Error* e) { return s.connectToHost("localhost", open, e); }, true},
        {"address", [&](AsyncSocket& s, Error* e) {
             auto a = address(open);
             return s.connectToAddress(reinterpret_cast<sockaddr*>(&a), sizeof a, e);
         }, true},
        {"refused host", [&](AsyncSocket& s, Error* e) { return s.connectToHost("127.0.0.1", closed, e); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder d;
        auto s = AsyncSocket::create(&d);
        Error err;
        ASSERT_TRUE(c.start(*s, &err)) << err.localizedDescription;
        ASSERT_TRUE(pumpUntil([&] { return d.connected || d.didDisconnect > 0; }));
        if (c.connects) {
            EXPECT_TRUE(s->isConnected());
            EXPECT_EQ(s->connectedPort(), open);
            if (std::string(c.what) == "numeric IPv6 host") {
                EXPECT_TRUE(s->isIPv6());
                EXPECT_EQ(s->connectedHost(), "::1");
            }
        } else {
            ASSERT_EQ(d.events.size(), 3u);
            EXPECT_EQ(d.events[1], "willDisconnect NSPOSIXErrorDomain " + std::to_string(ECONNREFUSED));
            EXPECT_EQ(d.events[2], "didDisconnect");
            EXPECT_FALSE(s->isConnected());
        }
        EXPECT_EQ(d.events[0], "willConnect");
    }
}

TEST_F(AsyncSocketStart, RefusedAddressConnectReportsGeneralError) {
    // connectToAddress to a port nobody listens on either fails at once or closes with the general error.
    Recorder probeD;
    auto probe = AsyncSocket::create(&probeD);
    ASSERT_TRUE(probe->acceptOnAddress("127.0.0.1", 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(probe->localPort());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    probe->disconnect();
    Recorder d;
    auto s = AsyncSocket::create(&d);
    Error err;
    if (s->connectToAddress(reinterpret_cast<sockaddr*>(&a), sizeof a, &err)) {
        ASSERT_TRUE(pumpUntil([&] { return d.didDisconnect > 0; }));
        ASSERT_TRUE(d.lastError.has_value());
        err = *d.lastError;
    }
    EXPECT_EQ(err.domain, "AsyncSocketErrorDomain");
    EXPECT_EQ(err.code, -1);
}

TEST_F(AsyncSocketStart, HostNameLookUpNeverBlocksAndReportsItsFailure) {
    // The look-up runs off the loop: connectToHost returns before it, and a failure closes the started socket
    // with the look-up's error.
    Recorder d;
    auto s = AsyncSocket::create(&d);
    ASSERT_TRUE(s->connectToHost("bad host name!", 21));
    EXPECT_EQ(d.events, std::vector<std::string>{"willConnect"});
    ASSERT_TRUE(pumpUntil([&] { return d.didDisconnect == 1; }, 15000));
    ASSERT_TRUE(d.lastError.has_value());
    EXPECT_EQ(d.lastError->domain, "kCFStreamErrorDomainNetDB");
    EXPECT_NE(d.lastError->code, 0);
    EXPECT_FALSE(d.lastError->localizedDescription.empty());

    // Closed or destroyed while looking up: the late answer goes nowhere.
    Recorder late;
    auto closed = AsyncSocket::create(&late);
    ASSERT_TRUE(closed->connectToHost("localhost", 9));
    closed->disconnect();
    {
        auto destroyed = AsyncSocket::create(&late);
        ASSERT_TRUE(destroyed->connectToHost("localhost", 9));
    }
    drain(300);
    EXPECT_EQ(late.events, (std::vector<std::string>{"willConnect", "willConnect", "didDisconnect"}));
    EXPECT_TRUE(pumpUntil([] { return HostResolver::threadsRunning() == 0; }, 15000));  // none outlives the test
}

TEST_F(AsyncSocketStart, WillConnectFalseCancelsWithCodeOne) {
    Recorder d;
    d.willConnectAnswer = false;
    auto s = AsyncSocket::create(&d);
    Error err;
    EXPECT_FALSE(s->connectToHost("127.0.0.1", 9, &err));
    EXPECT_EQ(err.domain, "AsyncSocketErrorDomain");
    EXPECT_EQ(err.code, 1);
    EXPECT_EQ(err.localizedDescription, "Connection canceled");
    EXPECT_EQ(s->getCFSocket(), -1);
    turns(3);
    EXPECT_EQ(d.events, std::vector<std::string>{"willConnect"});  // no close messages: never started
}

TEST_F(AsyncSocketStart, DelegateImplementingNothingStillGetsAWorkingSocket) {
    AsyncSocketDelegate silent;
    auto listener = AsyncSocket::create(&silent);
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer peer(listener->localPort());
    // The accepted socket is not kept (the delegate has no accept message), so the peer sees it close.
    bool eof = false;
    ASSERT_TRUE(pumpUntil([&] {
        peer.readAvailable(&eof);
        return eof;
    }));
    auto client = AsyncSocket::create(&silent);
    ASSERT_TRUE(client->connectToHost("127.0.0.1", listener->localPort()));
    client->writeDataWithTimeoutTag(std::string("hello"), -1, 0);
    ASSERT_TRUE(pumpUntil([&] { return client->isConnected() && client->canSafelySetDelegate(); }));
    EXPECT_FALSE(silent.respondsTo(AsyncSocketDelegate::Message::DidWriteData));
}

}  // namespace
