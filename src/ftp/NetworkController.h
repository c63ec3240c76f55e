#pragma once
#include <netinet/in.h>

#include <optional>
#include <string>
#include <vector>

/// Finds this machine's own address on the local network and answers reachability questions. IPv4 only;
/// addresses are dotted-decimal texts. No state; nothing throws.
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

    /// The address of "<host name>.local", or nothing (the resolver's complaint goes to standard error).
    static std::optional<std::string> localIPAddress();
    /// The first IPv4 address of `host`, or nothing.
    static std::optional<std::string> getIPAddressForHost(const std::string& host);
    /// Whether `text` is a valid dotted IPv4 address; fills `address` (family and address, port untouched).
    static bool addressFromString(const std::string& text, sockaddr_in* address);
    /// Whether `host` resolves and this machine has a route to it (asked of the kernel; nothing is sent).
    static bool hostAvailable(const std::string& host);
    /// Whether this machine has an up, non-loopback IPv4 interface with a route to leave by.
    static bool connectedToNetwork();
};
