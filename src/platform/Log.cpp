#include "platform/Log.h"

#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "platform/Text.h"

namespace {
bool enabled = true;
}

void setLogLinesEnabled(bool on) { enabled = on; }

bool logLinesEnabled() { return enabled; }

// Control characters are escaped (text::escapedControls): lines carry client bytes.
void logLine(const std::string& line) {
    if (!enabled) return;
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    localtime_r(&tv.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    // Lines carry client bytes (commands, names): escaped, none can split a line or drive the owner's terminal.
    std::fprintf(stderr, "%s.%03ld velkaro: %s\n", stamp, static_cast<long>(tv.tv_usec / 1000),
                 text::escapedControls(line).c_str());
}
