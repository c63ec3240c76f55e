#include "core/bench/CapacitorEncoder.h"

#include <cctype>
#include <cstdlib>

#include "core/bench/Quantity.h"
#include "core/bench/SignificantDigits.h"
#include "decoders/InfoCapacitorsView.h"
#include "platform/Format.h"

std::optional<double> CapacitorEncoder::percentOf(char letter) {
    // The capacitor screen's own texts say what each letter means: "+/- 10%".
    const std::string text = InfoCapacitorsView::toleranceText(std::string(1, letter));
    const std::string lead = "+/- ";
    if (text.rfind(lead, 0) != 0 || text.back() != '%') return std::nullopt;
    return std::strtod(text.c_str() + lead.size(), nullptr);
}

std::optional<char> CapacitorEncoder::toleranceLetter(const std::string& tolerance, std::string* error) {
    if (tolerance.size() == 1 && std::isalpha(static_cast<unsigned char>(tolerance[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(tolerance[0])));
        if (!InfoCapacitorsView::toleranceText(std::string(1, letter)).empty()) return letter;
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
    if (s->exponent < -1 || s->exponent > 5) {
        if (error)
            *error = engineering(farads, Unit::Farad, 15) + " is outside what the capacitor code shows (1 pF to 9.9 µF)";
        return std::nullopt;
    }
    const int multiplier = s->exponent < 0 ? 9 : s->exponent;  // 9 stands for ×0.1
    return format("%d%d%@", static_cast<int>(s->digits), multiplier, letter);
}
