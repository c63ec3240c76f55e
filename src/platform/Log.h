#pragma once
#include <string>

#include "platform/Format.h"

/// Writes one diagnostic line to standard error with a timestamp. Lines carry no behaviour.
void logLine(const std::string& line);
/// Turns the diagnostic lines on (the default) or off, for a program whose owner asked for a quiet log.
void setLogLinesEnabled(bool enabled);
/// Whether diagnostic lines are written.
bool logLinesEnabled();

/// Logs with a printf-style format (see `format`). A quiet program skips the formatting too: the FTP server logs
/// every command, and making lines nobody reads was a measurable part of its work per command.
template <typename... Args>
void NSLog(std::string_view fmt, const Args&... args) {
    if (logLinesEnabled()) logLine(format(fmt, args...));
}
