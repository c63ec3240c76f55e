#include "core/decoders/CapacitorCode.h"

#include <array>
#include <cctype>

#include "core/bench/SignificantDigits.h"
#include "core/decoders/BandValue.h"
#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

struct Capacitance {
    std::string pF, nF, uF;
};

// The digits 10 read better written out than placed (100 nF, not 10.0 × 10 nF): by multiplier digit 8, 9, 0 … 4.
// Multipliers 5 to 7 place the digits as any other code does.
Capacitance tenWrittenOut(int multiplier) {
    static const std::array<Capacitance, 7> fixed = {{
        {"0.1", "0.0001", "0.0000001"},  // 8, ×0.01
        {"1.0", "0.001", "0.000001"},    // 9, ×0.1
        {"10", "0.01", "0.00001"},
        {"100", "0.1", "0.0001"},
        {"1000", "1.0", "0.001"},
        {"10000", "10", "0.01"},
        {"100000", "100", "0.1"},
    }};
    const int index = CapacitorCode::exponentOf(multiplier) + 2;
    return index >= 0 && index < static_cast<int>(fixed.size()) ? fixed[static_cast<size_t>(index)] : Capacitance{};
}

Capacitance capacitance(int d1, int d2, int multiplier) {
    if (multiplier < 0 || multiplier > 9) return {};
    if (d1 == 1 && d2 == 0 && multiplier != 5 && multiplier != 6 && multiplier != 7) return tenWrittenOut(multiplier);
    const std::string digits = format("%d%d", d1, d2);
    const int e = CapacitorCode::exponentOf(multiplier);
    return {placedDigits(digits, e), placedDigits(digits, e - 3), placedDigits(digits, e - 6)};
}

std::string fragment(int d1, int d2, int m, const std::string& letter, const Capacitance& c) {
    const std::string tolerance = CapacitorCode::toleranceText(letter);
    if (!tolerance.empty())
        return format("Selected capacitor: <B>%d%d%d%@</B><BR/><B>Capacitance:</B><BR/>%@ pF<BR/>%@ nF<BR/>%@ uF"
                      "<BR/><B>Tolerance:</B> %@",
                      d1, d2, m, letter, c.pF, c.nF, c.uF, tolerance);
    return format("Selected capacitor: <B>%d%d%d%@</B><BR/><B>Capacitance:</B><BR/>%@ pF<BR/>%@ nF<BR/>%@ uF", d1,
                  d2, m, letter, c.pF, c.nF, c.uF);
}

}  // namespace

const std::vector<CapacitorCode::Tolerance>& CapacitorCode::tolerances() {
    static const std::vector<Tolerance> table = {
        {'E', "+/- 0.5%", 0.5, 0.5, false},  {'F', "+/- 1%", 1, 1, false},      {'G', "+/- 2%", 2, 2, false},
        {'H', "+/- 3%", 3, 3, false},        {'J', "+/- 5%", 5, 5, false},      {'K', "+/- 10%", 10, 10, false},
        {'M', "+/- 20%", 20, 20, false},     {'N', "+/- 30%", 30, 30, false},   {'P', "+100%, -0%", 0, 100, false},
        {'Z', "+80%, -20%", 20, 80, false},  {'B', "+/- 0.1 pF", 0.1, 0.1, true},
        {'C', "+/- 0.25 pF", 0.25, 0.25, true}, {'D', "+/- 0.5 pF", 0.5, 0.5, true},
    };
    return table;
}

const CapacitorCode::Tolerance* CapacitorCode::tolerance(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const Tolerance& t : tolerances())
        if (t.letter == upper) return &t;
    return nullptr;
}

std::string CapacitorCode::toleranceText(const std::string& letter) {
    // The screen's letters are upper case; a lower-case one is no row of its wheel.
    if (letter.empty() || std::islower(static_cast<unsigned char>(letter[0]))) return {};
    const Tolerance* t = tolerance(letter[0]);
    return t ? t->text : "";
}

int CapacitorCode::exponentOf(int multiplier) { return multiplier == 8 ? -2 : multiplier == 9 ? -1 : multiplier; }

std::optional<CapacitorCode::Reading> CapacitorCode::read(std::string_view code, Refusal* refusal) {
    auto fail = [&](Refusal r) {
        if (refusal) *refusal = r;
        return std::nullopt;
    };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (code.size() != 3 && code.size() != 4) return fail(Refusal::Length);
    if (!digit(code[0]) || code[0] == '0') return fail(Refusal::FirstDigit);
    if (!digit(code[1])) return fail(Refusal::SecondDigit);
    if (!digit(code[2])) return fail(Refusal::Multiplier);
    Reading r;
    r.d1 = code[0] - '0';
    r.d2 = code[1] - '0';
    r.multiplier = code[2] - '0';
    if (code.size() == 4) {
        r.tolerance = tolerance(code[3]);
        if (!r.tolerance) return fail(Refusal::Letter);
        r.letter = std::string(1, r.tolerance->letter);
    }
    r.farads = SignificantDigits{10 * r.d1 + r.d2, exponentOf(r.multiplier) - 12}.value();
    return r;
}

std::string CapacitorCode::html(const Reading& r) {
    return html(r.d1, r.d2, r.multiplier, r.letter.empty() ? " " : r.letter);
}

std::string CapacitorCode::html(int d1, int d2, int m, const std::string& letter) {
    return fragment(d1, d2, m, letter, capacitance(d1, d2, m));
}

const std::vector<std::vector<std::string>>& CapacitorCode::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {"9", "0", "1", "2", "3", "4", "5"},
        // "N" is last so that the other letters keep the rows people and scripts know them by.
        {" ", "E", "F", "G", "H", "J", "K", "M", "P", "Z", "B", "C", "D", "N"},
    };
    return rows;
}

std::string CapacitorCode::wheelHtml(const std::string& digit1, const std::string& digit2,
                                     const std::string& multiplier, const std::string& letter) {
    const int d1 = intValue(digit1), d2 = intValue(digit2), m = intValue(multiplier);
    // The wheels offer 9 and 0 … 5; another digit gives empty capacitance texts.
    const bool onWheel = m == 9 || (m >= 0 && m <= 5);
    return fragment(d1, d2, m, letter, onWheel ? capacitance(d1, d2, m) : Capacitance{});
}
