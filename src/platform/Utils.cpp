#include "platform/Utils.h"

#include <cstdint>

#include "platform/FileSystem.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"

void Utils::saveIntParam(int value, const std::string& key) { Preferences::standard().setInteger(value, key); }

int Utils::getIntParam(const std::string& key, int defParam) {
    auto& store = Preferences::standard();
    return store.hasObject(key) ? store.integerForKey(key) : defParam;
}

void Utils::saveBoolParam(bool value, const std::string& key) { Preferences::standard().setBool(value, key); }

bool Utils::getBoolParam(const std::string& key, bool defParam) {
    auto& store = Preferences::standard();
    return store.hasObject(key) ? store.boolForKey(key) : defParam;
}

int Utils::mebibytes(long long bytes) { return static_cast<int>(static_cast<std::uint32_t>(bytes / 1048576)); }

int Utils::getTotalSpace() {
    auto attrs = attributesOfFileSystemForPath(documentsDirectory());
    return attrs ? mebibytes(attrs->size) : 0;
}

int Utils::getFreeSpace() {
    auto attrs = attributesOfFileSystemForPath(documentsDirectory());
    return attrs ? mebibytes(attrs->freeSize) : 0;
}

void Utils::runAfterDelay(float seconds, std::function<void()> block) {
    float product = seconds * 1000000000.0f;  // single precision, as the dispatch time is computed
    auto nanoseconds = static_cast<std::int64_t>(product);
    RunLoop::main().runAfter(static_cast<double>(nanoseconds) / 1e9, std::move(block));
}
