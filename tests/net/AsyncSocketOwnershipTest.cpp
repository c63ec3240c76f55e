// A delegate may drop its last reference to a socket inside any message; a delegate may die before its sockets.
// Run under AddressSanitizer (make asan) these prove there is no use after free.
#include <gtest/gtest.h>

#include "SocketTestSupport.h"

using namespace nettest;

namespace {

class AsyncSocketOwnership : public ::testing::Test {
protected:
    void TearDown() override { drain(); }
};

TEST_F(AsyncSocketOwnership, DelegateDropsTheSocketInsideAnyMessage) {
    enum class At { Connect, Read, Write, Ended, WillDisconnect, DidDisconnect, ReadTimeout };
    struct Case {
        const char* name;
        At at;
    };
    const Case cases[] = {
        {"didConnect", At::Connect},           {"didRead", At::Read},
        {"didWrite", At::Write},               {"readStreamEnded", At::Ended},
        {"willDisconnect", At::WillDisconnect}, {"didDisconnect", At::DidDisconnect},
        {"willDisconnect after read time-out", At::ReadTimeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The far end says hello and closes once it has written it.
        Recorder serverD;
        serverD.onAccept = [](AsyncSocket* s) {
            s->readDataWithTimeoutTag(-1, 0);
            s->writeDataWithTimeoutTag(std::string("hello"), -1, 0);
            s->disconnectAfterWriting();
        };
        auto listener = AsyncSocket::create(&serverD);
        ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));

        Recorder d;
        std::shared_ptr<AsyncSocket> held = AsyncSocket::create(&d);
        std::weak_ptr<AsyncSocket> watch = held;
        auto drop = [&](AsyncSocket* s) {
            EXPECT_EQ(s, held.get());
            held.reset();
            // The socket is still alive until the event's handling ends, and still usable.
            EXPECT_FALSE(watch.expired());
            s->description();
        };
        d.readStreamEndedAnswer = true;
        switch (c.at) {
            case At::Connect: d.onConnect = drop; break;
            case At::Read: d.onRead = drop; break;
            case At::Write: d.onWrite = drop; break;
            case At::Ended: d.onEnded = drop; break;
            case At::WillDisconnect: d.onWillDisconnect = drop; break;
            case At::DidDisconnect: d.onDidDisconnect = drop; break;
            case At::ReadTimeout: d.onWillDisconnect = drop; break;
        }
        ASSERT_TRUE(held->connectToHost("127.0.0.1", listener->localPort()));
        held->readDataWithTimeoutTag(c.at == At::ReadTimeout ? 0 : -1, 0);
        held->writeDataWithTimeoutTag(std::string("ping"), -1, 0);
        ASSERT_TRUE(pumpUntil([&] { return watch.expired(); }));
        turns(3);  // nothing left in the loop may touch it
        EXPECT_EQ(d.didDisconnect, c.at == At::DidDisconnect ? 1 : 0);
    }
}

TEST_F(AsyncSocketOwnership, ListenerDroppedWhileAccepting) {
    Recorder serverD;
    std::shared_ptr<AsyncSocket> listener = AsyncSocket::create(&serverD);
    std::weak_ptr<AsyncSocket> watch = listener;
    serverD.onAccept = [&](AsyncSocket*) { listener.reset(); };
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer a(listener->localPort()), b(listener->localPort());
    ASSERT_TRUE(pumpUntil([&] { return watch.expired(); }));
    turns(3);
    EXPECT_EQ(serverD.accepted.size(), 1u);  // the second connection went with the listener
    ASSERT_TRUE(pumpUntil([&] { return serverD.accepted[0]->isConnected(); }));
}

TEST_F(AsyncSocketOwnership, SocketForgetsADelegateThatDies) {
    auto d = std::make_unique<Recorder>();
    d->onAccept = [](AsyncSocket* s) { s->readDataWithTimeoutTag(-1, 0); };
    auto listener = AsyncSocket::create(d.get());
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Peer peer(listener->localPort());
    ASSERT_TRUE(pumpUntil([&] { return !d->accepted.empty() && d->accepted[0]->isConnected(); }));
    auto accepted = d->accepted[0];
    d.reset();
    EXPECT_EQ(accepted->delegate(), nullptr);
    EXPECT_EQ(listener->delegate(), nullptr);
    peer.send("data for nobody");
    peer.close();
    ASSERT_TRUE(pumpUntil([&] { return !accepted->isConnected(); }));
}

TEST_F(AsyncSocketOwnership, DestroyedSocketLeavesNothingInTheLoop) {
    // Timers, deferred steps and watches of a socket destroyed mid-way are withdrawn with it.
    Recorder serverD;
    auto listener = AsyncSocket::create(&serverD);
    ASSERT_TRUE(listener->acceptOnAddress("127.0.0.1", 0));
    Recorder d;
    {
        auto s = AsyncSocket::create(&d);
        ASSERT_TRUE(s->connectToHost("127.0.0.1", listener->localPort()));
        s->readDataWithTimeoutTag(0.01, 0);
        s->writeDataWithTimeoutTag(std::string("x"), 0.01, 0);
        s->disconnectAfterWriting();
    }
    drain(100);
    EXPECT_EQ(d.events, std::vector<std::string>{"willConnect"});  // asked before it returned, nothing after
}

}  // namespace
