#include "core/bench/BandEncoder.h"

#include "core/bench/ColourCode.h"
#include "core/bench/Quantity.h"
#include "core/bench/SignificantDigits.h"
#include "platform/Format.h"

namespace {

using Bands = std::optional<std::vector<std::string>>;

Bands fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

// The digit colours of `count` significant digits and the exponent of the multiplier band, or a message.
std::optional<SignificantDigits> digitsFor(double value, Unit unit, int count, const std::string& useMore,
                                           std::string* error) {
    if (!(value > 0)) {
        if (error) *error = engineering(value, unit) + " has no colour code: give a value above zero";
        return std::nullopt;
    }
    auto digits = SignificantDigits::of(value, count);
    if (!digits) {
        const int needed = SignificantDigits::needed(value);
        if (error)
            *error = engineering(value, unit, 15) + " needs " + SignificantDigits::countWord(needed) +
                     " significant digits" +
                     (needed == 3 && !useMore.empty() ? ": use " + useMore : ": no colour code holds it");
    }
    return digits;
}

}  // namespace

Bands BandEncoder::resistor(double ohms, int bands, std::optional<double> tolerance, std::optional<int> ppm,
                            std::string* error) {
    if (bands < 3 || bands > 6) return fail(error, format("a resistor has 3, 4, 5 or 6 bands, not %d", bands));
    const int count = bands <= 4 ? 2 : 3;
    auto digits = digitsFor(ohms, Unit::Ohm, count, count == 2 ? "5 bands" : "", error);
    if (!digits) return std::nullopt;
    const int lowest = -2, highest = 9;  // silver … white
    if (digits->exponent < lowest || digits->exponent > highest) {
        const SignificantDigits edge{digits->exponent < lowest ? (count == 2 ? 10 : 100) : (count == 2 ? 99 : 999),
                                     digits->exponent < lowest ? lowest : highest};
        return fail(error, format("%@ is %@ the %@ value %d bands show (%@)", engineering(ohms, Unit::Ohm, 15),
                                  digits->exponent < lowest ? "below" : "above",
                                  digits->exponent < lowest ? "smallest" : "largest", bands,
                                  engineering(edge.value(), Unit::Ohm)));
    }
    const double percent = tolerance.value_or(bands == 3 ? 20 : bands == 4 ? 5 : 1);
    const ColourCode::Colour* tol = ColourCode::ofTolerance(percent);
    if (!tol)
        return fail(error, format("no colour stands for a tolerance of %g %%: use one of %@", percent,
                                  ColourCode::toleranceList()));
    if (bands == 3 && percent != 20)
        return fail(error, format("3 bands carry no tolerance band (20 %%): use 4 bands for %g %%", percent));
    if (ppm && bands != 6) return fail(error, "a temperature coefficient needs 6 bands");
    const ColourCode::Colour* tcr = ColourCode::ofTemperatureCoefficient(ppm.value_or(100));
    if (!tcr) return fail(error, format("no colour stands for %d ppm/K: use 250, 100, 50, 25, 20, 15, 10, 5 or 1",
                                        ppm.value_or(100)));

    std::vector<std::string> out;
    const std::string text = std::to_string(digits->digits);
    for (char d : text) out.push_back(ColourCode::ofDigit(d - '0').name);
    out.push_back(ColourCode::ofMultiplier(digits->exponent)->name);
    if (bands >= 4) out.push_back(tol->name);
    if (bands == 6) out.push_back(tcr->name);
    return out;
}

Bands BandEncoder::inductor(double henries, std::optional<double> tolerance, std::string* error) {
    auto digits = digitsFor(henries, Unit::Henry, 2, "", error);
    if (!digits) return std::nullopt;
    const int exponent = digits->exponent + 6;  // the multiplier counts microhenries
    if (exponent < -2 || exponent > 4)
        return fail(error, format("%@ is outside what inductor bands show (0.1 µH to 990 mH)",
                                  engineering(henries, Unit::Henry, 15)));
    const double percent = tolerance.value_or(20);
    const char* tol = percent == 20 ? "black" : percent == 10 ? "silver" : percent == 5 ? "gold" : nullptr;
    if (!tol) return fail(error, format("inductor bands show a tolerance of 20, 10 or 5 %%, not %g %%", percent));
    const std::string text = std::to_string(digits->digits);
    return std::vector<std::string>{ColourCode::ofDigit(text[0] - '0').name, ColourCode::ofDigit(text[1] - '0').name,
                                    ColourCode::ofMultiplier(exponent)->name, tol};
}
