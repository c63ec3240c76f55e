#pragma once
#include <avahi-common/watch.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/RunLoop.h"

/// Avahi's event hooks (AvahiPoll) on the program's run loop, so the DNS-SD client needs no thread and no loop of
/// its own. Several of Avahi's watches may share one descriptor (D-Bus watches reading and writing apart); the
/// loop sees one watch per descriptor carrying the union of their events. Watches and time-outs may be freed from
/// inside their own callbacks.
class AvahiRunLoopPoll {
public:
    explicit AvahiRunLoopPoll(RunLoop& loop = RunLoop::main());
    ~AvahiRunLoopPoll();
    AvahiRunLoopPoll(const AvahiRunLoopPoll&) = delete;
    AvahiRunLoopPoll& operator=(const AvahiRunLoopPoll&) = delete;

    /// The hooks to hand to `avahi_client_new`; valid while this object lives (it must outlive the client).
    const AvahiPoll* api() const { return &api_; }

private:
    friend struct AvahiWatchHooks;
    struct Descriptor {
        RunLoop::Handle watch = 0;
        std::vector<AvahiWatch*> watches;
    };

    void rewatch(int fd);
    void dispatch(int fd, std::uint32_t events);

    RunLoop& loop_;
    AvahiPoll api_{};
    std::map<int, Descriptor> descriptors_;
    std::vector<std::unique_ptr<AvahiWatch>> watches_;
    std::vector<std::unique_ptr<AvahiTimeout>> timeouts_;
};
