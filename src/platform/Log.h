#pragma once
#include <string>

#include "platform/Format.h"

/// Writes one diagnostic line to standard error with a timestamp. Lines carry no behaviour.
void logLine(const std::string& line);
/// Turns the diagnostic lines on (the default) or off, for a program whose owner asked for a quiet log.
void setLogLinesEnabled(bool enabled);

/// Logs with a printf-style format (see `format`).
template <typename... Args>
void NSLog(std::string_view fmt, const Args&... args) {
    logLine(format(fmt, args...));
}
