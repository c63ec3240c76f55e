#include "web/WebValidators.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool number(std::string_view text, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Weak comparison: W/"x" and "x" name the same version.
std::string_view opaque(std::string_view tag) { return tag.starts_with("W/") ? tag.substr(2) : tag; }

}  // namespace

WebValidators::WebValidators(const struct stat& st) : modified_(st.st_mtim.tv_sec) {
    char tag[96];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx-%llx\"", static_cast<unsigned long long>(st.st_ino),
                  static_cast<unsigned long long>(st.st_size),
                  static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull +
                      static_cast<unsigned long long>(st.st_mtim.tv_nsec));
    etag_ = tag;
    lastModified_ = httpDate(modified_);
}

bool WebValidators::notModified(std::string_view ifNoneMatch, std::string_view ifModifiedSince) const {
    if (!trimmed(ifNoneMatch).empty()) {
        for (std::size_t at = 0; at <= ifNoneMatch.size();) {
            std::size_t comma = std::min(ifNoneMatch.find(',', at), ifNoneMatch.size());
            std::string_view tag = trimmed(ifNoneMatch.substr(at, comma - at));
            if (tag == "*" || (!tag.empty() && opaque(tag) == etag_)) return true;
            at = comma + 1;
        }
        return false;
    }
    auto since = parseHttpDate(trimmed(ifModifiedSince));
    return since && modified_ <= *since;
}

bool WebValidators::rangeApplies(std::string_view ifRange) const {
    ifRange = trimmed(ifRange);
    // A weak tag never matches here: the bytes of the rest must be those of the version begun.
    return ifRange.empty() || ifRange == etag_ || ifRange == lastModified_;
}

std::string WebValidators::httpDate(std::time_t when) {
    std::tm t{};
    ::gmtime_r(&when, &t);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[t.tm_wday], t.tm_mday,
                  kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::optional<std::time_t> WebValidators::parseHttpDate(std::string_view text) {
    // "Sun, 06 Nov 1994 08:49:37 GMT": 29 characters in fixed places.
    if (text.size() != 29 || text[3] != ',' || text[4] != ' ' || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT")
        return std::nullopt;
    std::tm t{};
    int month = -1;
    for (int m = 0; m < 12; ++m)
        if (text.substr(8, 3) == kMonths[m]) month = m;
    int year = 0;
    if (month < 0 || !number(text.substr(5, 2), t.tm_mday) || !number(text.substr(12, 4), year) ||
        !number(text.substr(17, 2), t.tm_hour) || !number(text.substr(20, 2), t.tm_min) ||
        !number(text.substr(23, 2), t.tm_sec) || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 ||
        t.tm_min > 59 || t.tm_sec > 60)
        return std::nullopt;
    t.tm_mon = month;
    t.tm_year = year - 1900;
    return ::timegm(&t);
}
