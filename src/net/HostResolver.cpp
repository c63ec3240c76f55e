#include "net/HostResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/UniqueFd.h"

// Shared by the loop side and the look-up thread; whichever lets go last frees it (and the eventfd).
struct HostResolver::Answer {
    std::mutex lock;
    int gaiCode = EAI_SYSTEM;
    sockaddr_storage address{};
    socklen_t length = 0;
    UniqueFd eventFd;
};

namespace {

void lookUp(const std::string& host, std::uint16_t port, int& code, sockaddr_storage& address, socklen_t& length) {
    addrinfo hints{};
    hints.ai_family = PF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    {
        std::lock_guard<std::mutex> guard(HostResolver::lookupLock());
        code = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    }
    if (code != 0) return;
    std::memcpy(&address, list->ai_addr, list->ai_addrlen);
    length = list->ai_addrlen;
    ::freeaddrinfo(list);
}

}  // namespace

std::mutex& HostResolver::lookupLock() {
    static std::mutex lock;
    return lock;
}

namespace {
std::atomic<int> running{0};
}

int HostResolver::threadsRunning() { return running.load(); }

HostResolver::HostResolver(RunLoop& loop, const std::string& host, std::uint16_t port, Callback done)
    : loop_(loop), done_(std::move(done)), answer_(std::make_shared<Answer>()) {
    answer_->eventFd.reset(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (answer_->eventFd) watch_ = loop_.watchFd(answer_->eventFd.get(), EPOLLIN, [this](std::uint32_t) { deliver(); });
    if (watch_) {
        try {
            ++running;
            std::thread([answer = answer_, host, port] {
                int code;
                sockaddr_storage address{};
                socklen_t length = 0;
                lookUp(host, port, code, address, length);
                std::lock_guard<std::mutex> guard(answer->lock);
                answer->gaiCode = code;
                answer->address = address;
                answer->length = length;
                std::uint64_t one = 1;
                (void)!::write(answer->eventFd.get(), &one, sizeof one);
                --running;
            }).detach();
            return;
        } catch (const std::system_error&) {
            --running;
            loop_.removeWatch(watch_);
            watch_ = 0;
        }
    }
    // No thread to be had: look up here rather than fail the connection.
    lookUp(host, port, answer_->gaiCode, answer_->address, answer_->length);
    fallback_ = loop_.defer([this] { deliver(); });
}

HostResolver::~HostResolver() {
    if (watch_) loop_.removeWatch(watch_);
    loop_.cancel(fallback_);
}

void HostResolver::deliver() {
    if (watch_) loop_.removeWatch(watch_);
    watch_ = fallback_ = 0;
    int code;
    sockaddr_storage address;
    socklen_t length;
    {
        std::lock_guard<std::mutex> guard(answer_->lock);
        code = answer_->gaiCode;
        address = answer_->address;
        length = answer_->length;
    }
    // Last: the callback may destroy this resolver.
    Callback done = std::move(done_);
    done(code, address, length);
}
