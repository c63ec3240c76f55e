#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

/// Gives a test its own preference file and documents folder, and clears the alerts a test left on screen.
class ScratchProfile {
public:
    explicit ScratchProfile(const std::string& name) {
        dir_ = std::filesystem::temp_directory_path() / ("velkaro-test-" + std::to_string(getpid()) + "-" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        Preferences::setStandardPath((dir_ / "preferences").string());
    }
    ~ScratchProfile() {
        Preferences::setStandardPath(Preferences::defaultPath());
        std::filesystem::remove_all(dir_);
        while (!Application::shared().alerts().empty())
            Application::shared().alertDismissed(Application::shared().alerts().front().get());
    }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

/// Turns the main run loop until `done` or about `ms` milliseconds have passed.
template <typename Pred>
bool turnMainLoopUntil(Pred done, int ms = 2000) {
    for (int i = 0; i < ms / 10 && !done(); ++i) RunLoop::main().runOnce(10);
    return done();
}
