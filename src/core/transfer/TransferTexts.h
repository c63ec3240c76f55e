#pragma once
#include <cstddef>
#include <string>

/// The texts that tell a user where the datasheet store is served and how full the device is: the transfer
/// screen shows them, and the headless server prints them.
class TransferTexts {
public:
    /// An address shorter than this ("0.0.0.0" has 7) is no usable network address.
    static constexpr std::size_t kMinAddressLength = 6;

    /// "ftp://ADDRESS:PORT", or the NETWORK_ERROR text when the address is too short to be usable.
    static std::string link(const std::string& address, unsigned port);
    /// "Device: %dMb, %dMb free".
    static std::string deviceInfo(int totalMb, int freeMb);
};
