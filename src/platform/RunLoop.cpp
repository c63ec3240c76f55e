#include "platform/RunLoop.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Log.h"

RunLoop::RunLoop(Now now) : now_(std::move(now)), epollFd_(epoll_create1(EPOLL_CLOEXEC)) {
    if (!epollFd_) logLine(std::string("RunLoop: epoll_create1 failed: ") + std::strerror(errno));
}

RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

RunLoop::Handle RunLoop::runAfter(double seconds, Callback cb) { return addTimer(seconds, 0, std::move(cb)); }

RunLoop::Handle RunLoop::runEvery(double seconds, Callback cb) {
    // A zero interval would spin; one millisecond is the loop's resolution anyway.
    return addTimer(seconds, std::max(seconds, 0.001), std::move(cb));
}

RunLoop::Handle RunLoop::addTimer(double seconds, double interval, Callback cb) {
    Handle h = nextHandle_++;
    timers_[h] = TimerEntry{std::move(cb), interval, {}};
    double s = std::isfinite(seconds) && seconds > 0 ? std::min(seconds, 1e9) : 0.0;
    schedule(h, now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s)));
    if (timerAdded_) timerAdded_();
    return h;
}

void RunLoop::schedule(Handle handle, Clock::time_point due) {
    Timer place{due, nextSeq_++, handle};
    queue_.insert(place);
    timers_[handle].place = place;
}

void RunLoop::cancel(Handle handle) {
    auto it = timers_.find(handle);
    if (it == timers_.end()) return;
    queue_.erase(it->second.place);
    timers_.erase(it);
}

bool RunLoop::isPending(Handle handle) const { return timers_.count(handle) != 0; }

RunLoop::Handle RunLoop::watchFd(int fd, std::uint32_t events, FdCallback cb) {
    Handle h = nextHandle_++;
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = h;
    if (epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, fd, &ev) != 0) {
        logLine("RunLoop: cannot watch fd " + std::to_string(fd) + ": " + std::strerror(errno));
        return 0;
    }
    watches_[h] = Watch{fd, events, std::make_shared<FdCallback>(std::move(cb))};
    return h;
}

void RunLoop::updateWatch(Handle watch, std::uint32_t events) {
    auto it = watches_.find(watch);
    if (it == watches_.end() || it->second.events == events) return;
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = watch;
    if (epoll_ctl(epollFd_.get(), EPOLL_CTL_MOD, it->second.fd, &ev) == 0) it->second.events = events;
}

void RunLoop::removeWatch(Handle watch) {
    auto it = watches_.find(watch);
    if (it == watches_.end()) return;
    epoll_ctl(epollFd_.get(), EPOLL_CTL_DEL, it->second.fd, nullptr);
    watches_.erase(it);
}

std::optional<int> RunLoop::msUntilNextDeadline() const {
    if (queue_.empty()) return std::nullopt;
    auto left = queue_.begin()->due - now();
    if (left <= Clock::duration::zero()) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, 24LL * 3600 * 1000));
}

bool RunLoop::dispatchTimers() {
    // Only timers due now run in this turn; calls they add wait for the next turn.
    const auto now = this->now();
    std::vector<Timer> due;
    while (!queue_.empty() && queue_.begin()->due <= now) due.push_back(queue_.extract(queue_.begin()).value());
    bool any = false;
    for (const Timer& t : due) {
        auto it = timers_.find(t.handle);
        if (it == timers_.end()) continue;  // withdrawn by an earlier callback of this turn
        any = true;
        Callback cb = it->second.cb;  // a copy: the callback may cancel or add timers
        if (it->second.interval > 0) {
            auto step = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(it->second.interval));
            schedule(t.handle, std::max(t.due + step, now));
        } else {
            timers_.erase(it);
        }
        cb();
    }
    return any;
}

bool RunLoop::runOnce(int timeoutMs) {
    int wait = timeoutMs;
    if (auto next = msUntilNextDeadline()) wait = (wait < 0) ? *next : std::min(wait, *next);
    epoll_event events[64];
    int n;
    do {
        n = epoll_wait(epollFd_.get(), events, 64, wait);
    } while (n < 0 && errno == EINTR);
    bool any = false;
    for (int i = 0; i < n; ++i) {
        auto it = watches_.find(events[i].data.u64);
        if (it == watches_.end()) continue;  // removed by an earlier callback of this turn
        auto cb = it->second.cb;             // keeps the callback alive if it removes its own watch
        any = true;
        (*cb)(events[i].events);
    }
    if (dispatchTimers()) any = true;
    return any;
}

void RunLoop::run() {
    stopped_ = false;
    while (!stopped_) runOnce(-1);
    stopped_ = false;
}

void RunLoop::stop() { stopped_ = true; }
