#include "web/AvahiRunLoopPoll.h"

#include <sys/time.h>

#include <algorithm>

struct AvahiWatch {
    AvahiRunLoopPoll* owner;
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened;
    AvahiWatchCallback callback;
    void* userdata;
    bool freed = false;
};

struct AvahiTimeout {
    AvahiRunLoopPoll* owner;
    RunLoop& loop;
    RunLoop::Handle timer = 0;
    AvahiTimeoutCallback callback;
    void* userdata;
};

// The C hooks: each finds its poll through the object it is given.
struct AvahiWatchHooks {
    static AvahiRunLoopPoll* self(const AvahiPoll* api) { return static_cast<AvahiRunLoopPoll*>(api->userdata); }

    static AvahiWatch* watchNew(const AvahiPoll* api, int fd, AvahiWatchEvent event, AvahiWatchCallback callback,
                                void* userdata) {
        AvahiRunLoopPoll* poll = self(api);
        poll->watches_.push_back(std::unique_ptr<AvahiWatch>(
            new AvahiWatch{poll, fd, event, static_cast<AvahiWatchEvent>(0), callback, userdata}));
        AvahiWatch* watch = poll->watches_.back().get();
        poll->descriptors_[fd].watches.push_back(watch);
        poll->rewatch(fd);
        return watch;
    }
    static void watchUpdate(AvahiWatch* watch, AvahiWatchEvent event) {
        watch->wanted = event;
        watch->owner->rewatch(watch->fd);
    }
    static AvahiWatchEvent watchGetEvents(AvahiWatch* watch) { return watch->happened; }
    static void watchFree(AvahiWatch* watch) {
        AvahiRunLoopPoll* poll = watch->owner;
        watch->freed = true;
        auto& list = poll->descriptors_[watch->fd].watches;
        list.erase(std::remove(list.begin(), list.end(), watch), list.end());
        poll->rewatch(watch->fd);
        // Freed from inside a dispatch that may still hold it: the memory goes on the next turn.
        auto it = std::find_if(poll->watches_.begin(), poll->watches_.end(),
                               [&](const auto& w) { return w.get() == watch; });
        if (it != poll->watches_.end()) {
            poll->loop_.deleteSoon(std::move(*it));
            poll->watches_.erase(it);
        }
    }

    static void arm(AvahiTimeout* timeout, const timeval* tv) {
        timeout->loop.cancel(timeout->timer);
        timeout->timer = 0;
        if (!tv) return;  // disabled
        timeval now{};
        ::gettimeofday(&now, nullptr);
        double seconds = static_cast<double>(tv->tv_sec - now.tv_sec) + (tv->tv_usec - now.tv_usec) / 1e6;
        timeout->timer = timeout->loop.runAfter(seconds, [timeout] {
            timeout->timer = 0;
            timeout->callback(timeout, timeout->userdata);
        });
    }
    static AvahiTimeout* timeoutNew(const AvahiPoll* api, const timeval* tv, AvahiTimeoutCallback callback,
                                    void* userdata) {
        AvahiRunLoopPoll* poll = self(api);
        poll->timeouts_.push_back(
            std::unique_ptr<AvahiTimeout>(new AvahiTimeout{poll, poll->loop_, 0, callback, userdata}));
        arm(poll->timeouts_.back().get(), tv);
        return poll->timeouts_.back().get();
    }
    static void timeoutUpdate(AvahiTimeout* timeout, const timeval* tv) { arm(timeout, tv); }
    static void timeoutFree(AvahiTimeout* timeout) {
        AvahiRunLoopPoll* poll = timeout->owner;
        poll->loop_.cancel(timeout->timer);
        auto it = std::find_if(poll->timeouts_.begin(), poll->timeouts_.end(),
                               [&](const auto& t) { return t.get() == timeout; });
        if (it != poll->timeouts_.end()) {
            poll->loop_.deleteSoon(std::move(*it));
            poll->timeouts_.erase(it);
        }
    }
};

AvahiRunLoopPoll::AvahiRunLoopPoll(RunLoop& loop) : loop_(loop) {
    api_.userdata = this;
    api_.watch_new = &AvahiWatchHooks::watchNew;
    api_.watch_update = &AvahiWatchHooks::watchUpdate;
    api_.watch_get_events = &AvahiWatchHooks::watchGetEvents;
    api_.watch_free = &AvahiWatchHooks::watchFree;
    api_.timeout_new = &AvahiWatchHooks::timeoutNew;
    api_.timeout_update = &AvahiWatchHooks::timeoutUpdate;
    api_.timeout_free = &AvahiWatchHooks::timeoutFree;
}

AvahiRunLoopPoll::~AvahiRunLoopPoll() {
    for (auto& [fd, descriptor] : descriptors_)
        if (descriptor.watch) loop_.removeWatch(descriptor.watch);
    for (auto& timeout : timeouts_) loop_.cancel(timeout->timer);
}

void AvahiRunLoopPoll::rewatch(int fd) {
    Descriptor& descriptor = descriptors_[fd];
    std::uint32_t events = 0;
    for (AvahiWatch* watch : descriptor.watches) events |= watch->wanted & (AVAHI_WATCH_IN | AVAHI_WATCH_OUT);
    if (descriptor.watches.empty()) {
        if (descriptor.watch) loop_.removeWatch(descriptor.watch);
        descriptors_.erase(fd);
    } else if (descriptor.watch) {
        loop_.updateWatch(descriptor.watch, events);
    } else {
        descriptor.watch = loop_.watchFd(fd, events, [this, fd](std::uint32_t happened) { dispatch(fd, happened); });
    }
}

void AvahiRunLoopPoll::dispatch(int fd, std::uint32_t events) {
    auto found = descriptors_.find(fd);
    if (found == descriptors_.end()) return;
    // A copy: callbacks add and free watches, and freed ones stay allocated until the next turn.
    const std::vector<AvahiWatch*> watches = found->second.watches;
    for (AvahiWatch* watch : watches) {
        auto happened = static_cast<AvahiWatchEvent>(events & (watch->wanted | AVAHI_WATCH_ERR | AVAHI_WATCH_HUP));
        if (watch->freed || !happened) continue;
        watch->happened = happened;
        watch->callback(watch, fd, happened, watch->userdata);
        if (!watch->freed) watch->happened = static_cast<AvahiWatchEvent>(0);
    }
}
