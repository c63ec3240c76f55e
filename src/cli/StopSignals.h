#pragma once
#include <signal.h>

#include "platform/RunLoop.h"

/// SIGINT and SIGTERM as readable bytes on a descriptor the run loop watches, so a headless server stops between
/// two events and closes every connection and file before the program ends. Blocks both signals while it lives.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// Whether the signals could be turned into a descriptor.
    bool ok() const { return fd_ >= 0; }
    /// Makes `loop.run()` return when either signal arrives.
    void stopLoopOnSignal(RunLoop& loop);
    /// The last signal caught, 0 before any.
    int caught() const { return caught_; }

private:
    sigset_t set_{};
    sigset_t previous_{};
    int fd_ = -1;
    RunLoop::Handle watch_ = 0;
    RunLoop* loop_ = nullptr;
    int caught_ = 0;
};
