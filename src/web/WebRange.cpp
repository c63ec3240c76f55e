#include "web/WebRange.h"

#include <charconv>

namespace {

bool readNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

WebRange WebRange::parse(std::string_view header, std::uint64_t size) {
    WebRange whole{Kind::Whole, 0, size};
    static constexpr std::string_view kUnit = "bytes=";
    if (header.substr(0, kUnit.size()) != kUnit) return whole;
    std::string_view ranges = header.substr(kUnit.size());
    while (!ranges.empty() && ranges.front() == ' ') ranges.remove_prefix(1);
    while (!ranges.empty() && ranges.back() == ' ') ranges.remove_suffix(1);
    size_t dash = ranges.find('-');
    if (dash == std::string_view::npos || ranges.find(',') != std::string_view::npos) return whole;
    std::string_view first = ranges.substr(0, dash), last = ranges.substr(dash + 1);
    std::uint64_t a = 0, b = 0;
    if (first.empty()) {  // the last b bytes
        if (!readNumber(last, b)) return whole;
        if (b == 0 || size == 0) return {Kind::Unsatisfiable, 0, 0};
        if (b > size) b = size;
        return {Kind::Partial, size - b, b};
    }
    if (!readNumber(first, a)) return whole;
    if (last.empty()) b = size ? size - 1 : 0;
    else if (!readNumber(last, b) || b < a) return whole;
    if (a >= size) return {Kind::Unsatisfiable, 0, 0};
    if (b >= size) b = size - 1;
    return {Kind::Partial, a, b - a + 1};
}
