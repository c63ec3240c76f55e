#include "cli/StopSignals.h"

#include <sys/signalfd.h>
#include <unistd.h>

StopSignals::StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &set_, &previous_);
    fd_ = ::signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
}

StopSignals::~StopSignals() {
    if (watch_) loop_->removeWatch(watch_);
    if (fd_ >= 0) ::close(fd_);
    ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

void StopSignals::stopLoopOnSignal(RunLoop& loop) {
    loop_ = &loop;
    watch_ = loop.watchFd(fd_, EPOLLIN, [this, &loop](std::uint32_t) {
        signalfd_siginfo info{};
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) caught_ = info.ssi_signo;
        loop.stop();
    });
}
