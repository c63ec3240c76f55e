#pragma once
#include <string>
#include <vector>

/// Finds this machine's own address on the local network, the one shown to people who connect from another
/// machine. IPv4 only; addresses are dotted-decimal texts. No state; nothing throws.
class NetworkController {
public:
    NetworkController() = delete;

    /// One IPv4 address of one interface, as the interface list gives it.
    struct InterfaceAddress {
        std::string name;     ///< interface name, e.g. "en0", "wlan0", "eth0", "lo"
        bool up = false;      ///< IFF_UP
        bool loopback = false;///< IFF_LOOPBACK
        std::string address;  ///< dotted decimal
    };

    /// The address at which other machines on the local network reach this one, or "" when there is none.
    /// An interface named "en0" wins (its last IPv4 address); otherwise the first up, non-loopback IPv4 interface,
    /// a wireless one ("wl…") preferred over any other.
    static std::string localWifiIPAddress();
    /// The choice `localWifiIPAddress` makes, over a given list (in the system's order).
    static std::string chooseWifiAddress(const std::vector<InterfaceAddress>& interfaces);
    /// Every IPv4 interface address of this machine, in the system's order.
    static std::vector<InterfaceAddress> interfaceAddresses();
};
