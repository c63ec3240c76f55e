#pragma once
#include <sys/epoll.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/UniqueFd.h"

/// The application's one event loop: file-descriptor readiness (epoll), one-shot and repeating timers and
/// deferred calls, all dispatched on the thread that runs it. Everything in the app is single-threaded on it.
///
/// The loop can be stepped (`runOnce`) so tests never sleep, and a GUI can drive it from its own loop by watching
/// `backendFd()` and waking at `nextDeadline()`. A test may give it a clock of its own, which it moves by hand, to
/// run timers of minutes in no time.
class RunLoop {
public:
    using Clock = std::chrono::steady_clock;
    /// Identifies a timer, deferred call or fd watch; 0 is never a valid handle.
    using Handle = std::uint64_t;
    using Callback = std::function<void()>;
    /// Receives the epoll event bits (EPOLLIN, EPOLLOUT, EPOLLERR, EPOLLHUP, ...).
    using FdCallback = std::function<void(std::uint32_t events)>;
    /// Where the loop reads the time.
    using Now = std::function<Clock::time_point()>;

    /// A loop on the steady clock, or on `now`.
    explicit RunLoop(Now now = Clock::now);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    /// The main thread's loop, created on first use.
    static RunLoop& main();

    /// Runs `cb` once after `seconds` (0 or less: on the next turn). Calls due at the same instant run in the
    /// order they were added. The returned handle withdraws the call through `cancel`.
    Handle runAfter(double seconds, Callback cb);
    /// Runs `cb` every `seconds` until cancelled (the first time after one interval).
    Handle runEvery(double seconds, Callback cb);
    /// Runs `cb` on the next turn of the loop, never from inside this call.
    Handle defer(Callback cb) { return runAfter(0, std::move(cb)); }
    /// Withdraws a timer or deferred call; harmless for a handle that already ran or was withdrawn. A repeating
    /// timer may cancel itself from its own callback.
    void cancel(Handle handle);
    /// Whether the timer or deferred call is still waiting to run.
    bool isPending(Handle handle) const;

    /// Destroys `object` on the next turn of the loop, never inside this call, in order with deferred calls. The
    /// way for an object to be dropped from inside one of its own callbacks; a loop destroyed first destroys it too.
    template <class T>
    void deleteSoon(std::unique_ptr<T> object) {
        if (!object) return;
        defer([doomed = std::shared_ptr<T>(std::move(object))]() mutable { doomed.reset(); });
    }

    /// Watches `fd` for `events` (EPOLLIN and/or EPOLLOUT; errors and hang-ups are always reported). Returns 0 and
    /// logs when the kernel refuses the descriptor.
    Handle watchFd(int fd, std::uint32_t events, FdCallback cb);
    /// Changes the events a watch waits for.
    void updateWatch(Handle watch, std::uint32_t events);
    /// Stops a watch; safe inside its own callback. The descriptor itself is not closed.
    void removeWatch(Handle watch);

    /// One turn: waits at most `timeoutMs` (-1: until something happens, 0: not at all) for the next fd event or
    /// due timer, then dispatches everything ready. Returns true if anything was dispatched.
    bool runOnce(int timeoutMs = -1);
    /// Turns the loop until `stop()` is called.
    void run();
    /// Makes `run()` return after the current turn; callable from any callback.
    void stop();

    /// The epoll descriptor: readable whenever a watched descriptor has an event, for a host loop to watch.
    int backendFd() const { return epollFd_.get(); }
    /// Called whenever a timer or deferred call is added, so a host loop can re-arm its wake-up; may be empty.
    void setTimerAddedHook(Callback hook) { timerAdded_ = std::move(hook); }
    /// The time on the loop's clock.
    Clock::time_point now() const { return now_(); }
    /// Milliseconds until the earliest timer is due (0 if one is due now), or nothing if no timer waits.
    std::optional<int> msUntilNextDeadline() const;

private:
    // A place in the queue: by deadline, then by the order of scheduling.
    struct Timer {
        Clock::time_point due;
        std::uint64_t seq;
        Handle handle;
        bool operator<(const Timer& o) const { return due != o.due ? due < o.due : seq < o.seq; }
    };
    struct TimerEntry {
        Callback cb;
        double interval;  // > 0 for repeating timers
        Timer place;      // its entry in queue_, removed with it on cancel
    };
    struct Watch {
        int fd;
        std::uint32_t events;
        std::shared_ptr<FdCallback> cb;
    };

    Handle addTimer(double seconds, double interval, Callback cb);
    bool dispatchTimers();
    void schedule(Handle handle, Clock::time_point due);

    Now now_;
    UniqueFd epollFd_;
    bool stopped_ = false;
    Handle nextHandle_ = 1;
    std::uint64_t nextSeq_ = 0;
    std::set<Timer> queue_;  // exactly the waiting timers: a withdrawn one leaves at once
    std::map<Handle, TimerEntry> timers_;
    std::map<Handle, Watch> watches_;
    Callback timerAdded_;
};
