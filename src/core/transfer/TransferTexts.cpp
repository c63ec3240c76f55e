#include "core/transfer/TransferTexts.h"

#include "platform/Format.h"
#include "platform/Resources.h"

std::string TransferTexts::link(const std::string& address, unsigned port) {
    if (address.size() < kMinAddressLength) return localizedString("NETWORK_ERROR");
    return format("ftp://%@:%d", address, static_cast<int>(port));
}

std::string TransferTexts::deviceInfo(int totalMb, int freeMb) { return format("Device: %dMb, %dMb free", totalMb, freeMb); }
