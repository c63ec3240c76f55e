#include "platform/RunLoop.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Steps the loop until `done` or a bounded number of turns, so a broken loop fails instead of hanging.
template <typename Pred>
bool turnUntil(RunLoop& loop, Pred done, int turns = 200) {
    for (int i = 0; i < turns && !done(); ++i) loop.runOnce(20);
    return done();
}

TEST(RunLoop, TimersRunInDeadlineOrderAndFifoForTies) {
    RunLoop loop;
    std::string order;
    loop.runAfter(0.03, [&] { order += "c"; });
    loop.runAfter(0.01, [&] { order += "a"; });
    loop.defer([&] { order += "1"; });
    loop.defer([&] { order += "2"; });
    loop.runAfter(0.01, [&] { order += "b"; });
    ASSERT_TRUE(turnUntil(loop, [&] { return order.size() == 5; }));
    EXPECT_EQ(order, "12abc");
}

TEST(RunLoop, WithdrawnCallsNeverRunAndCallsAddedInACallbackWaitForTheNextTurn) {
    RunLoop loop;
    int ran = 0, nested = 0;
    auto h = loop.defer([&] { ++ran; });
    EXPECT_TRUE(loop.isPending(h));
    loop.cancel(h);
    EXPECT_FALSE(loop.isPending(h));
    loop.defer([&] { loop.defer([&] { ++nested; }); });
    loop.runOnce(0);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(nested, 0);  // queued by the first call, not run in the same turn
    loop.runOnce(0);
    EXPECT_EQ(nested, 1);
    loop.cancel(h);  // cancelling twice is harmless

    // A withdrawn timer leaves the queue at once: nothing is left to wake the loop for, however many come and go.
    for (int i = 0; i < 1000; ++i) loop.cancel(loop.runAfter(60, [] {}));
    EXPECT_FALSE(loop.msUntilNextDeadline().has_value());
}

TEST(RunLoop, DeleteSoonDestroysOnTheNextTurnEvenFromTheObjectsOwnCallback) {
    RunLoop loop;
    std::vector<std::string> log;
    struct Owned {
        std::vector<std::string>& log;
        ~Owned() { log.push_back("destroyed"); }
    };
    std::unique_ptr<Owned> owned(new Owned{log});
    loop.defer([&] {
        loop.deleteSoon(std::move(owned));  // as if the object dropped itself from its own callback
        log.push_back("call returned");
    });
    loop.defer([&] { log.push_back("same turn"); });
    loop.runOnce(0);
    EXPECT_EQ(log, (std::vector<std::string>{"call returned", "same turn"}));
    loop.runOnce(0);
    EXPECT_EQ(log.back(), "destroyed");
    loop.deleteSoon(std::unique_ptr<Owned>());  // nothing to destroy
    EXPECT_FALSE(loop.msUntilNextDeadline().has_value());
}

TEST(RunLoop, RepeatingTimerRunsUntilItCancelsItself) {
    RunLoop loop;
    int count = 0;
    RunLoop::Handle h = 0;
    h = loop.runEvery(0.005, [&] {
        if (++count == 3) loop.cancel(h);
    });
    turnUntil(loop, [&] { return count >= 3; });
    for (int i = 0; i < 5; ++i) loop.runOnce(10);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(loop.msUntilNextDeadline().has_value() && loop.isPending(h));
}

TEST(RunLoop, FdReadinessIsReportedAndAWatchMayRemoveItself) {
    RunLoop loop;
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
    int events = 0;
    RunLoop::Handle w = 0;
    w = loop.watchFd(fds[0], EPOLLIN, [&](std::uint32_t ev) {
        ++events;
        EXPECT_TRUE(ev & EPOLLIN);
        loop.removeWatch(w);
    });
    ASSERT_NE(w, 0u);
    EXPECT_FALSE(loop.runOnce(0));
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_TRUE(turnUntil(loop, [&] { return events == 1; }));
    loop.runOnce(10);
    EXPECT_EQ(events, 1);  // removed: level-triggered data still unread is not reported again
    close(fds[0]);
    close(fds[1]);
}

TEST(RunLoop, StopEndsRunAndTheBackendDescriptorAndDeadlineAreExposed) {
    RunLoop loop;
    EXPECT_GE(loop.backendFd(), 0);
    EXPECT_FALSE(loop.msUntilNextDeadline().has_value());
    loop.runAfter(10, [] {});
    auto ms = loop.msUntilNextDeadline();
    ASSERT_TRUE(ms.has_value());
    EXPECT_GT(*ms, 9000);
    loop.defer([&] { loop.stop(); });
    loop.run();  // returns because of stop(), not after 10 s
    SUCCEED();
}

}  // namespace
