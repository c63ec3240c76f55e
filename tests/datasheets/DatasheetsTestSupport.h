#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "datasheets/InfoDatasheetsFTP.h"
#include "platform/FileSystem.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

/// A documents folder of the test's own, so no test reads or writes the user's datasheets. The previous
/// folder and the application's handlers are restored afterwards.
class ScratchStore {
public:
    explicit ScratchStore(const std::string& name) {
        dir_ = std::filesystem::temp_directory_path() / ("velkaro-store-" + std::to_string(getpid()) + "-" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        setDocumentsDirectory(dir_.string());
        // The datasheet index of the store goes beside it, not among the user's own data.
        const char* data = std::getenv("XDG_DATA_HOME");
        savedDataHome_ = data ? std::optional<std::string>(data) : std::nullopt;
        ::setenv("XDG_DATA_HOME", (dir_.string() + "-data").c_str(), 1);
    }
    ~ScratchStore() {
        setDocumentsDirectory("");
        if (savedDataHome_) ::setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
        Application::shared().setOpenURLHandler(nullptr);
        Application::shared().setIdleTimerHandler(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        std::filesystem::remove_all(dir_.string() + "-data", ec);
    }
    const std::filesystem::path& dir() const { return dir_; }

    /// Writes `bytes` to the entry `name` of the store.
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path dir_;
    std::optional<std::string> savedDataHome_;
};

/// Turns the main run loop until `done` or about `ms` milliseconds have passed; returns `done()`.
template <typename Pred>
bool turnUntil(Pred done, int ms = 3000) {
    for (int i = 0; i < ms / 5 && !done(); ++i) RunLoop::main().runOnce(5);
    return done();
}

/// Turns the main run loop for about `ms` milliseconds.
inline void turnFor(int ms) {
    auto end = RunLoop::Clock::now() + std::chrono::milliseconds(ms);
    while (RunLoop::Clock::now() < end) RunLoop::main().runOnce(2);
}

/// The transfer screen's servers on ports the system picks, so no test meets a port in use (`any`), or on the
/// usual ones again: for a test's set-up and tear-down.
inline void useAnyTransferPorts(bool any = true) {
    InfoDatasheetsFTP::setControlPort(any ? 0 : InfoDatasheetsFTP::kDefaultControlPort);
    InfoDatasheetsFTP::setWebPort(any ? 0 : InfoDatasheetsFTP::kDefaultWebPort);
}
