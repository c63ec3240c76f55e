#include "core/bench/SmdEncoder.h"

#include <cmath>
#include <cstdio>

#include "core/bench/ESeries.h"
#include "core/bench/SignificantDigits.h"
#include "core/decoders/SmdCode.h"

namespace {

// `ohms` in `width` characters with R as the decimal point ("4R7", "R47", "47R5"), for values below
// 10^(width − 2) Ω whose digits fit in the width − 1 digit places.
std::optional<std::string> rNotation(double ohms, int width) {
    const int places = width - 1;
    if (!(ohms > 0) || ohms >= std::pow(10.0, places - 1)) return std::nullopt;
    const int before = ohms < 1 ? 0 : ohms < 10 ? 1 : 2;  // whole-number digits ahead of the R
    const double scaled = ohms * std::pow(10.0, places - before);
    const long long n = std::llround(scaled);
    if (n == 0 || !sameValue(static_cast<double>(n), scaled)) return std::nullopt;
    std::string digits = std::to_string(n);
    digits.insert(0, static_cast<size_t>(places) - digits.size(), '0');
    return digits.substr(0, static_cast<size_t>(before)) + "R" + digits.substr(static_cast<size_t>(before));
}

// `count` significant digits followed by a multiplier digit 0 … `maxExponent`.
std::optional<std::string> digitCode(double ohms, int count, int maxExponent) {
    auto s = SignificantDigits::of(ohms, count);
    if (!s || s->exponent < 0 || s->exponent > maxExponent) return std::nullopt;
    return std::to_string(s->digits) + std::to_string(s->exponent);
}

}  // namespace

std::optional<std::string> SmdEncoder::threeDigit(double ohms) {
    return ohms < 10 ? rNotation(ohms, 3) : digitCode(ohms, 2, 7);
}

std::optional<std::string> SmdEncoder::fourDigit(double ohms) {
    return ohms < 100 ? rNotation(ohms, 4) : digitCode(ohms, 3, 6);
}

std::optional<std::string> SmdEncoder::eia96(double ohms) {
    auto s = SignificantDigits::of(ohms, 3);
    if (!s) return std::nullopt;
    static const char letters[] = "ZYXABCDEF";  // ×10^-3 … ×10^5 of the three-digit mantissa
    const int letter = s->exponent + 3;
    if (letter < 0 || letter > 8) return std::nullopt;
    // The code is the mantissa's place in the E96 table the SMD screen decodes with.
    for (int code = 1; code <= 96; ++code) {
        if (SmdCode::eia96Value(code) != s->digits) continue;
        char two[3];
        std::snprintf(two, sizeof two, "%02d", code);
        return std::string(two) + letters[letter];
    }
    return std::nullopt;
}
