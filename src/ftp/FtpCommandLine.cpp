#include "ftp/FtpCommandLine.h"

#include <cstdint>

#include "platform/Log.h"
#include "platform/Text.h"

namespace {

const char* const kHyphenNameCommands[] = {"cwd",  "mkd",  "rmd",  "stor", "appe", "dele", "size", "mdtm",
                                           "retr", "rnfr", "rnto", "xcwd", "xmkd", "xrmd"};

// Decimal digits only, at most `maxDigits` of them, at most `max`; -1 for anything else (signs, blanks, overflow).
long long number(std::string_view text, size_t maxDigits, long long max) {
    if (text.empty() || text.size() > maxDigits) return -1;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= max ? value : -1;
}

unsigned dataPort(long long high, long long low) {
    if (high < 0 || low < 0) return 0;
    unsigned port = static_cast<unsigned>(high * 256 + low);
    return port >= 1024 ? port : 0;
}

// Exactly `count` comma-separated bytes, the last two being the port's high and low byte.
unsigned portFromBytes(std::string_view argument, size_t count) {
    auto fields = FtpCommandLine::split(argument, ',');
    if (fields.size() != count) return 0;
    for (const auto& f : fields)
        if (number(f, 3, 255) < 0) return 0;
    return dataPort(number(fields[count - 2], 3, 255), number(fields[count - 1], 3, 255));
}

// The number of bytes of the newline character at `i`, or 0.
size_t newlineAt(std::string_view s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x0A && c <= 0x0D) return 1;
    if (s.compare(i, 2, "\xC2\x85") == 0) return 2;
    if (s.compare(i, 3, "\xE2\x80\xA8") == 0 || s.compare(i, 3, "\xE2\x80\xA9") == 0) return 3;
    return 0;
}

}  // namespace

FtpCommandLine::Problem FtpCommandLine::problemWith(std::string_view line) {
    // Only the command word must be text: Linux names are bytes, and an old Latin-1 name listed as it is on disk
    // must be reachable by the same bytes.
    if (!text::isValidUtf8(line.substr(0, line.find(' ')))) return Problem::notUtf8;
    // A CR inside a line is no line end: taking it would put a CR into a stored name or a reply.
    if (line.find('\r') != std::string_view::npos) return Problem::carriageReturn;
    return Problem::none;
}

std::string FtpCommandLine::joinArguments(const Words& words, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < words.size(); ++i) out += (i > first ? " " : "") + words[i];
    return out;
}

std::optional<std::time_t> FtpCommandLine::utcTime(std::string_view text) {
    if (auto dot = text.find('.'); dot == 14 && text.size() > 15 && number(text.substr(15), 9, 999999999) >= 0)
        text = text.substr(0, 14);
    if (text.size() != 14 || number(text, 14, 99999999999999) < 0) return std::nullopt;
    auto field = [&](size_t at, size_t n) { return static_cast<int>(number(text.substr(at, n), n, 9999)); };
    std::tm tm{};
    tm.tm_year = field(0, 4) - 1900;
    tm.tm_mon = field(4, 2) - 1;
    tm.tm_mday = field(6, 2);
    tm.tm_hour = field(8, 2);
    tm.tm_min = field(10, 2);
    tm.tm_sec = field(12, 2);
    const std::tm given = tm;
    const std::time_t when = ::timegm(&tm);
    // timegm folds 31 February into March: only a date that reads back the same is one.
    if (tm.tm_year != given.tm_year || tm.tm_mon != given.tm_mon || tm.tm_mday != given.tm_mday ||
        tm.tm_hour != given.tm_hour || tm.tm_min != given.tm_min || tm.tm_sec != given.tm_sec)
        return std::nullopt;
    return when;
}

std::string FtpCommandLine::withoutTelnetCommands(std::string_view line) {
    // 0xFF is never part of UTF-8: at the start of a line it begins a Telnet command (Interrupt Process, Data Mark).
    while (line.size() >= 2 && static_cast<unsigned char>(line[0]) == 0xFF) line.remove_prefix(2);
    return std::string(line);
}

std::string FtpCommandLine::trimNewlines(std::string_view s) {
    size_t n;
    while (!s.empty() && (n = newlineAt(s, 0)) > 0) s.remove_prefix(n);
    while (!s.empty()) {
        size_t cut = 0;
        for (size_t len : {1, 2, 3})
            if (s.size() >= len && newlineAt(s, s.size() - len) == len) cut = len;
        if (!cut) break;
        s.remove_suffix(cut);
    }
    return std::string(s);
}

FtpCommandLine::Words FtpCommandLine::split(std::string_view text, char separator) {
    Words out;
    size_t start = 0;
    while (true) {
        size_t at = text.find(separator, start);
        out.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return out;
        start = at + 1;
    }
}

std::string FtpCommandLine::joinWords(const Words& words) {
    std::string out = "(";
    for (size_t i = 0; i < words.size(); ++i) out += (i ? ", " : "") + words[i];
    return out + ")";
}

std::string FtpCommandLine::fileNameFromArgs(const Words& words) {
    if (words.size() < 2) return "";
    const std::string command = text::lowercased(words[0]);
    bool hyphenNames = false;
    for (const char* c : kHyphenNameCommands)
        if (command == c) hyphenNames = true;
    std::string name;
    bool first = true;
    for (size_t i = 1; i < words.size(); ++i) {
        if (!hyphenNames && !words[i].empty() && words[i][0] == '-') {
            logLine("HYPHEN FOUND IGNORE");
            continue;
        }
        if (!first) name += ' ';
        name += words[i];
        first = false;
    }
    return name;
}

bool FtpCommandLine::hasWildcard(std::string_view name) {
    auto slash = name.rfind('/');
    return name.find_first_of("*?[", slash == std::string_view::npos ? 0 : slash + 1) != std::string_view::npos;
}

long long FtpCommandLine::restartOffset(std::string_view argument) { return number(argument, 18, INT64_MAX); }

unsigned FtpCommandLine::portFromPort(std::string_view argument) { return portFromBytes(argument, 6); }

unsigned FtpCommandLine::portFromLprt(std::string_view argument) {
    // af, address length, 16 address bytes, port length, two port bytes: the IPv6 form.
    return portFromBytes(argument, 21);
}

unsigned FtpCommandLine::portFromEprt(std::string_view argument) {
    Words fields = split(argument, '|');
    if (fields.size() < 4) return 0;
    long long port = number(fields[3], 5, 65535);
    return port < 0 ? 0 : dataPort(port / 256, port % 256);
}

std::string FtpCommandLine::plainAddress(std::string host) {
    if (host.rfind("::ffff:", 0) == 0 && host.find('.') != std::string::npos) host.erase(0, 7);
    return host;
}
