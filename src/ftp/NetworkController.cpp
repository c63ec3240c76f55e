#include "ftp/NetworkController.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/UniqueFd.h"

namespace {

bool isWireless(const std::string& name) { return name.rfind("wl", 0) == 0; }

// Whether the kernel knows a route to `address`: connecting a UDP socket only picks the route, no packet leaves.
bool routeExists(const sockaddr_in& address) {
    UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    sockaddr_in target = address;
    if (target.sin_port == 0) target.sin_port = htons(9);
    return ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

// Whether the kernel's IPv4 routing table has a default route (destination 0.0.0.0) through an up interface:
// without one a connection would first have to be set up, which is what "connection required" means.
bool hasDefaultRoute() {
    std::FILE* f = std::fopen("/proc/net/route", "r");
    if (!f) return false;
    char line[512];
    bool found = false;
    while (std::fgets(line, sizeof line, f)) {
        char iface[64];
        unsigned long dest = 1, gateway = 0;
        unsigned flags = 0;
        if (std::sscanf(line, "%63s %lx %lx %x", iface, &dest, &gateway, &flags) == 4 && dest == 0 &&
            (flags & 0x1 /* RTF_UP */))
            found = true;
    }
    std::fclose(f);
    return found;
}

}  // namespace

std::vector<NetworkController::InterfaceAddress> NetworkController::interfaceAddresses() {
    std::vector<InterfaceAddress> out;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return out;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* sin = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (!::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) continue;
        out.push_back({a->ifa_name ? a->ifa_name : "", (a->ifa_flags & IFF_UP) != 0,
                       (a->ifa_flags & IFF_LOOPBACK) != 0, text});
    }
    ::freeifaddrs(list);
    return out;
}

std::string NetworkController::chooseWifiAddress(const std::vector<InterfaceAddress>& interfaces) {
    std::string en0;
    for (const auto& i : interfaces)
        if (i.name == "en0") en0 = i.address;  // the last address of en0 wins
    if (!en0.empty()) return en0;
    const InterfaceAddress* wired = nullptr;
    for (const auto& i : interfaces) {
        if (!i.up || i.loopback) continue;
        if (isWireless(i.name)) return i.address;
        if (!wired) wired = &i;
    }
    return wired ? wired->address : "";
}

std::string NetworkController::localWifiIPAddress() { return chooseWifiAddress(interfaceAddresses()); }

std::optional<std::string> NetworkController::getIPAddressForHost(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    // An empty name is nobody's name; the resolver is not asked.
    int rc = host.empty() ? EAI_NONAME : ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
    if (rc != 0 || !result) {
        std::fprintf(stderr, "resolv: %s\n", ::gai_strerror(rc));
        if (result) ::freeaddrinfo(result);
        return std::nullopt;
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    std::optional<std::string> out;
    if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) out = text;
    ::freeaddrinfo(result);
    return out;
}

std::optional<std::string> NetworkController::localIPAddress() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
    std::string local = std::string(name) + ".local";
    if (local.size() > 255) local.resize(255);
    return getIPAddressForHost(local);
}

bool NetworkController::addressFromString(const std::string& text, sockaddr_in* address) {
    if (text.empty() || !address) return false;
    address->sin_family = AF_INET;
    return ::inet_aton(text.c_str(), &address->sin_addr) != 0;
}

bool NetworkController::hostAvailable(const std::string& host) {
    auto ip = getIPAddressForHost(host);
    if (!ip) {
        std::printf("Error recovering IP address from host name\n");
        return false;
    }
    sockaddr_in address{};
    if (!addressFromString(*ip, &address)) {
        std::printf("Error recovering sockaddr address from %s\n", ip->c_str());
        return false;
    }
    return routeExists(address);
}

bool NetworkController::connectedToNetwork() {
    bool usable = false;
    for (const auto& i : interfaceAddresses())
        if (i.up && !i.loopback) usable = true;
    if (!usable) return false;
    return hasDefaultRoute();
}
