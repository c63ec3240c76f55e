#include "gui/RunLoopDriver.h"


#include "platform/RunLoop.h"

RunLoopDriver::RunLoopDriver(RunLoop& loop, QObject* parent)
    : QObject(parent), loop_(loop), notifier_(loop.backendFd(), QSocketNotifier::Read) {
    timer_.setSingleShot(true);
    connect(&notifier_, &QSocketNotifier::activated, this, &RunLoopDriver::turn);
    connect(&timer_, &QTimer::timeout, this, &RunLoopDriver::turn);
    // A click or key handled by Qt may queue run-loop work: every new timer re-arms the wake-up.
    loop_.setTimerAddedHook([this] { arm(); });
    arm();
}

RunLoopDriver::~RunLoopDriver() { loop_.setTimerAddedHook(nullptr); }

void RunLoopDriver::turn() {
    loop_.runOnce(0);
    arm();
}

void RunLoopDriver::arm() {
    auto ms = loop_.msUntilNextDeadline();
    if (!ms) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive() || timer_.remainingTime() > *ms) timer_.start(*ms);
}
