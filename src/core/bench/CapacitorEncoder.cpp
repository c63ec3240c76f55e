#include "core/bench/CapacitorEncoder.h"

#include <cctype>
#include <cstdlib>

#include "core/bench/Quantity.h"
#include "core/bench/SignificantDigits.h"
#include "core/decoders/CapacitorCode.h"
#include "platform/Format.h"

std::optional<double> CapacitorEncoder::percentOf(char letter) {
    const auto* t = CapacitorCode::tolerance(letter);
    if (!t || t->picofarads || t->minus != t->plus) return std::nullopt;
    return t->plus;
}

std::optional<char> CapacitorEncoder::toleranceLetter(const std::string& tolerance, std::string* error) {
    if (tolerance.size() == 1 && std::isalpha(static_cast<unsigned char>(tolerance[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(tolerance[0])));
        if (CapacitorCode::tolerance(letter)) return letter;
    } else {
        std::string digits = tolerance;
        if (!digits.empty() && digits.back() == '%') digits.pop_back();
        char* end = nullptr;
        const double percent = std::strtod(digits.c_str(), &end);
        if (!digits.empty() && end && *end == '\0')
            for (char letter : std::string("EFGHJKMN"))
                if (percentOf(letter) == percent) return letter;
    }
    if (error)
        *error = "'" + tolerance + "' is not a tolerance letter: use B C D E F G H J K M N P Z or a percentage "
                 "(0.5 1 2 3 5 10 20 30)";
    return std::nullopt;
}

std::optional<std::string> CapacitorEncoder::code(double farads, const std::optional<std::string>& tolerance,
                                                  std::string* error) {
    std::string letter;
    if (tolerance) {
        auto l = toleranceLetter(*tolerance, error);
        if (!l) return std::nullopt;
        letter = *l;
    }
    const double picofarads = farads * 1e12;
    auto s = SignificantDigits::of(picofarads, 2);
    if (!s) {
        if (error) {
            const int needed = SignificantDigits::needed(picofarads);
            *error = engineering(farads, Unit::Farad, 15) +
                     (farads > 0 ? " needs " + SignificantDigits::countWord(needed) +
                                       " significant digits: the capacitor code holds two"
                                 : " has no capacitor code: give a value above zero");
        }
        return std::nullopt;
    }
    if (s->exponent < -2 || s->exponent > 7) {
        if (error)
            *error = engineering(farads, Unit::Farad, 15) + " is outside what the capacitor code shows (0.1 pF to 990 µF)";
        return std::nullopt;
    }
    const int multiplier = s->exponent == -2 ? 8 : s->exponent == -1 ? 9 : s->exponent;  // 8 is ×0.01, 9 ×0.1
    return format("%d%d%@", static_cast<int>(s->digits), multiplier, letter);
}
