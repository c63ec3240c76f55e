#include "net/PortProbe.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// 0 when a listener of `family` can take the port, else the errno that stops it. A family the system lacks
// (no IPv6) stops nothing.
int tryListen(int family, unsigned port) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return family == AF_INET6 ? 0 : errno;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    int result = 0;
    if (family == AF_INET6) {
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        a.sin6_port = htons(static_cast<std::uint16_t>(port));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0) result = errno;
        if (result == EADDRNOTAVAIL || result == EAFNOSUPPORT) result = 0;  // no IPv6 address here
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0) result = errno;
    }
    ::close(fd);
    return result;
}

}  // namespace

std::string PortProbe::whyUnusable(unsigned port) {
    if (port == 0 || port > 65535) return std::strerror(EINVAL);
    for (int family : {AF_INET, AF_INET6})
        if (int why = tryListen(family, port)) return std::strerror(why);
    return "";
}

unsigned PortProbe::nextUsable(unsigned from, unsigned tries) {
    for (unsigned port = from; port > 0 && port <= 65535 && port < from + tries; ++port)
        if (whyUnusable(port).empty()) return port;
    return 0;
}
