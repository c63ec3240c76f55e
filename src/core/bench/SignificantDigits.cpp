#include "core/bench/SignificantDigits.h"

#include <cmath>

#include "core/bench/ESeries.h"

double SignificantDigits::value() const {
    // Multiplying or dividing by an exact power of ten rounds once.
    const double p = std::pow(10.0, std::abs(exponent));
    return exponent >= 0 ? static_cast<double>(digits) * p : static_cast<double>(digits) / p;
}

std::optional<SignificantDigits> SignificantDigits::of(double v, int count) {
    if (!(v > 0) || !std::isfinite(v) || count < 1 || count > 15) return std::nullopt;
    SignificantDigits s;
    s.exponent = static_cast<int>(std::floor(std::log10(v))) - (count - 1);
    const long long top = static_cast<long long>(std::pow(10.0, count));
    for (int attempt = 0; attempt < 2; ++attempt) {
        s.digits = std::llround(v / std::pow(10.0, s.exponent));
        if (s.digits >= top) ++s.exponent;  // log10 a hair below a power of ten
        else if (s.digits < top / 10) --s.exponent;
        else break;
    }
    if (s.digits < top / 10 || s.digits >= top || !sameValue(s.value(), v)) return std::nullopt;
    return s;
}

int SignificantDigits::needed(double v) {
    for (int count = 1; count <= 15; ++count)
        if (of(v, count)) return count;
    return 16;
}

std::string SignificantDigits::countWord(int count) {
    static const char* const words[] = {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    return count >= 0 && count <= 9 ? words[count] : std::to_string(count);
}
