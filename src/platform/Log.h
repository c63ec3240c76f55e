#pragma once
#include <string>

#include "platform/Format.h"

/// Writes one diagnostic line to standard error with a timestamp. Lines carry no behaviour.
void logLine(const std::string& line);

/// Logs with a printf-style format (see `format`).
template <typename... Args>
void NSLog(std::string_view fmt, const Args&... args) {
    logLine(format(fmt, args...));
}
