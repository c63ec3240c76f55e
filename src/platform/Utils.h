#pragma once
#include <functional>
#include <string>

/// Static helpers the screens share: the preference store, the documents file system's size, and delayed runs.
class Utils {
public:
    Utils() = delete;

    static void saveIntParam(int value, const std::string& key);
    /// The stored integer, or `defParam` when nothing is stored under the key.
    static int getIntParam(const std::string& key, int defParam);
    static void saveBoolParam(bool value, const std::string& key);
    static bool getBoolParam(const std::string& key, bool defParam);

    /// Size and free space of the file system holding the documents folder, in MiB (0 when unknown).
    static int getTotalSpace();
    static int getFreeSpace();
    /// MiB from a byte count as the two above compute it: signed division truncating toward zero, low 32 bits.
    static int mebibytes(long long bytes);

    /// Runs `block` once after `seconds` on the main run loop. The delay goes through single precision and
    /// whole nanoseconds, as the platform's dispatch call takes it.
    static void runAfterDelay(float seconds, std::function<void()> block);
};
