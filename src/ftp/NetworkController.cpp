#include "ftp/NetworkController.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

namespace {

bool isWireless(const std::string& name) { return name.rfind("wl", 0) == 0; }

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
