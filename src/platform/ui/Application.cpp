#include "platform/ui/Application.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

#include "platform/Log.h"
#include "platform/ui/AlertView.h"

extern char** environ;

Application& Application::shared() {
    static Application app;
    return app;
}

bool Application::openURL(const std::string& url) {
    if (openURL_) return openURL_(url);
    // Without a front-end: hand the address to the desktop's opener. The shell starts it in the background and
    // exits at once, so it is reaped here and no zombie is left behind.
    pid_t pid;
    const char* argv[] = {"sh", "-c", "command -v xdg-open >/dev/null && { xdg-open \"$1\" >/dev/null 2>&1 & }",
                          "sh", url.c_str(), nullptr};
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) logLine("cannot open " + url + ": xdg-open is not available");
    return ok;
}

void Application::setIdleTimerDisabled(bool disabled) {
    idleDisabled_ = disabled;
    if (idleHandler_) idleHandler_(disabled);
}

void Application::presentAlert(std::shared_ptr<AlertView> alert) {
    alerts_.push_back(alert);
    if (presenter_) presenter_(alert);
}

void Application::alertDismissed(AlertView* alert) {
    alerts_.erase(std::remove_if(alerts_.begin(), alerts_.end(), [alert](const auto& a) { return a.get() == alert; }),
                  alerts_.end());
}
