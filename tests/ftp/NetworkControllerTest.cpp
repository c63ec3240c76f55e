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
        sockaddr_in a{};
        EXPECT_TRUE(NetworkController::addressFromString(i.address, &a)) << i.address;
        if (i.loopback) loopback = true;
    }
    EXPECT_TRUE(loopback);
    std::string chosen = NetworkController::localWifiIPAddress();
    EXPECT_NE(chosen.rfind("127.", 0), 0u) << "loopback is never offered to other machines";
}

TEST(NetworkController, AddressFromStringValidatesAndFillsTheRecord) {
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {{"", false}, {"300.1.1.1", false}, {"10.0.0.1", true}, {"not an address", false},
                          {"192.168.1.20", true}};
    for (const auto& c : cases) {
        sockaddr_in a{};
        a.sin_port = htons(2121);
        EXPECT_EQ(NetworkController::addressFromString(c.text, &a), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(a.sin_family, AF_INET);
            EXPECT_EQ(a.sin_port, htons(2121));  // the port is left as it was
            char back[INET_ADDRSTRLEN];
            EXPECT_EQ(std::string(inet_ntop(AF_INET, &a.sin_addr, back, sizeof back)), c.text);
        }
    }
    EXPECT_FALSE(NetworkController::addressFromString("10.0.0.1", nullptr));
}

// Only names resolved without asking a name server: tests send nothing beyond this machine.
TEST(NetworkController, ResolvesAndReachesLoopbackButNotEmptyNames) {
    EXPECT_EQ(NetworkController::getIPAddressForHost("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(NetworkController::getIPAddressForHost(""), std::nullopt);
    EXPECT_TRUE(NetworkController::hostAvailable("127.0.0.1"));
    EXPECT_FALSE(NetworkController::hostAvailable(""));
}
