#include "ftp/NetworkController.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

using IA = NetworkController::InterfaceAddress;

TEST(NetworkController, ChoosesEn0ThenWirelessThenFirstUsableInterface) {
    struct Case {
        std::vector<IA> interfaces;
        std::string expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{{"lo", true, true, "127.0.0.1"}}, ""},
        {{{"lo", true, true, "127.0.0.1"}, {"eth0", true, false, "10.0.0.2"}}, "10.0.0.2"},
        {{{"eth0", true, false, "10.0.0.2"}, {"wlan0", true, false, "192.168.1.20"}}, "192.168.1.20"},
        {{{"eth0", false, false, "10.0.0.2"}, {"eth1", true, false, "10.0.1.2"}}, "10.0.1.2"},  // down is skipped
        {{{"wlp2s0", false, false, "10.0.0.9"}, {"eth0", true, false, "10.0.0.2"}}, "10.0.0.2"},
        // en0 wins over everything, and its last address wins.
        {{{"wlan0", true, false, "192.168.1.20"}, {"en0", true, false, "10.1.1.1"}, {"en0", true, false, "10.1.1.2"}},
         "10.1.1.2"},
    };
    for (const auto& c : cases) EXPECT_EQ(NetworkController::chooseWifiAddress(c.interfaces), c.expected);
}

TEST(NetworkController, InterfaceListHoldsOnlyIPv4AndIncludesLoopback) {
    bool loopback = false;
    for (const auto& i : NetworkController::interfaceAddresses()) {
        in_addr a{};
        EXPECT_EQ(::inet_pton(AF_INET, i.address.c_str(), &a), 1) << i.address;
        if (i.loopback) loopback = true;
    }
    EXPECT_TRUE(loopback);
    std::string chosen = NetworkController::localWifiIPAddress();
    EXPECT_NE(chosen.rfind("127.", 0), 0u) << "loopback is never offered to other machines";
}
