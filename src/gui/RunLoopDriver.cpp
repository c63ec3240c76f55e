#include "gui/RunLoopDriver.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include "platform/RunLoop.h"

RunLoopDriver::RunLoopDriver(RunLoop& loop, QObject* parent)
    : QObject(parent), loop_(loop), notifier_(loop.backendFd(), QSocketNotifier::Read) {
    timer_.setSingleShot(true);
    connect(&notifier_, &QSocketNotifier::activated, this, &RunLoopDriver::turn);
    connect(&timer_, &QTimer::timeout, this, &RunLoopDriver::turn);
    // Anything Qt ran (a click, a key) may have queued run-loop work: re-arm before Qt sleeps.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, &RunLoopDriver::arm);
    arm();
}

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
