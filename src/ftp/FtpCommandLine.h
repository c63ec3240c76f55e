#pragma once
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Pure functions that read an FTP command line and its arguments; no socket, no state.
class FtpCommandLine {
public:
    using Words = std::vector<std::string>;

    FtpCommandLine() = delete;

    /// Why a line is refused before it is split, or `none`: a command word that is not UTF-8, or a CR inside.
    enum class Problem { none, notUtf8, carriageReturn };
    static Problem problemWith(std::string_view line);

    /// `line` without the Telnet commands (IAC and the byte after it) that clients send ahead of ABOR.
    static std::string withoutTelnetCommands(std::string_view line);
    /// `line` without the newline characters at both ends (U+000A to U+000D, U+0085, U+2028, U+2029); blanks
    /// and tabs stay.
    static std::string trimNewlines(std::string_view line);
    /// `text` cut at every `separator`, empty pieces kept ("a  b" gives "a", "", "b").
    static Words split(std::string_view text, char separator);
    /// "(a, b)": the words as the log shows them.
    static std::string joinWords(const Words& words);

    /// The name from a command's words: the words after the first joined by single blanks (empty words kept, so
    /// blanks inside a name survive). Words beginning with "-" are options and left out, except for the commands
    /// whose names may begin with a hyphen (CWD, MKD, RMD, STOR, APPE, DELE, SIZE, MDTM, RETR, RNFR, RNTO).
    static std::string fileNameFromArgs(const Words& words);

    /// The words from `first` on joined by single blanks, as a name that follows other arguments (MFMT, SITE).
    static std::string joinArguments(const Words& words, std::size_t first);
    /// "YYYYMMDDHHMMSS" (with an optional ".fraction", ignored) read as a UTC time, or nothing when it is not a
    /// valid date and time.
    static std::optional<std::time_t> utcTime(std::string_view text);

    /// Whether the last component of a name holds a shell wildcard ("*", "?" or "[").
    static bool hasWildcard(std::string_view name);
    /// The byte offset REST names (decimal digits only), or -1.
    static long long restartOffset(std::string_view argument);

    /// The data port named by PORT's "h1,h2,h3,h4,p1,p2", LPRT's 21 fields or EPRT's "|af|address|port|", or 0
    /// when a field is not a byte (or the port not a number) or the port is below 1024: the server never
    /// connects to a client's privileged service ports.
    static unsigned portFromPort(std::string_view argument);
    static unsigned portFromLprt(std::string_view argument);
    static unsigned portFromEprt(std::string_view argument);

    /// "::ffff:10.0.0.1" as "10.0.0.1", so that an IPv4 peer compares equal however the socket reports it.
    static std::string plainAddress(std::string host);
};
