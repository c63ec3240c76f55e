#include "platform/Numbers.h"

#include <clocale>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Skips white space and reads the sign; returns the index of the first character after them.
size_t readSign(std::string_view t, bool& negative) {
    size_t i = 0;
    while (i < t.size() && isSpace(t[i])) ++i;
    negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    return i;
}

template <typename T>
T readInteger(std::string_view t) {
    bool negative;
    size_t i = readSign(t, negative);
    // Accumulate towards the sign's side so the most negative value is reachable without overflow.
    T value = 0;
    const T limit = negative ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
    for (; i < t.size() && isDigit(t[i]); ++i) {
        T d = t[i] - '0';
        if (negative) {
            if (value < (limit + d) / 10) return limit;
            value = value * 10 - d;
        } else {
            if (value > (limit - d) / 10) return limit;
            value = value * 10 + d;
        }
    }
    return value;
}

}  // namespace

std::int32_t intValue(std::string_view text) { return readInteger<std::int32_t>(text); }

std::int64_t longLongValue(std::string_view text) { return readInteger<std::int64_t>(text); }

float floatValue(std::string_view text) {
    bool negative;
    size_t start = readSign(text, negative);
    // The longest prefix of the form digits [. digits] [e [sign] digits].
    size_t i = start, mantissa = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++mantissa;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++mantissa;
    }
    if (mantissa == 0) return 0.0f;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        if (k < text.size() && isDigit(text[k])) {
            while (k < text.size() && isDigit(text[k])) ++k;
            end = k;
        }
    }
    // strtof_l in the C locale: the point is the separator even after a GUI has set the user's locale, and
    // overflow and underflow give infinity and 0 as the platform reads them.
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    std::string number(text.substr(start, end - start));
    float value = strtof_l(number.c_str(), nullptr, cLocale);
    return negative ? -value : value;
}
