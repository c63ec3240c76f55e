#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The three-digit capacitor code with its tolerance letter (474K): what it says, and the capacitor screen's
/// HTML fragment.
class CapacitorCode {
public:
    /// What a tolerance letter allows: `minus` below and `plus` above the nominal value, in percent, or in
    /// picofarads for B, C and D.
    struct Tolerance {
        char letter;
        const char* text;  ///< as the screen shows it: "+/- 10%", "+80%, -20%", "+/- 0.25 pF"
        double minus, plus;
        bool picofarads;
    };
    /// A decoded code: two digits of picofarads times 10^multiplier, where the multiplier digits 8 and 9 stand
    /// for ×0.01 and ×0.1.
    struct Reading {
        int d1 = 0, d2 = 0, multiplier = 0;
        std::string letter;  ///< as given, upper case; empty without one
        double farads = 0;
        const Tolerance* tolerance = nullptr;  ///< null without a letter
    };
    /// Why a code is no capacitor code: its length, or the first character that cannot stand where it does.
    enum class Refusal { Length, FirstDigit, SecondDigit, Multiplier, Letter };

    /// Every tolerance letter the code uses: E F G H J K M N P Z B C D.
    static const std::vector<Tolerance>& tolerances();
    /// The letter's tolerance in any case, or null.
    static const Tolerance* tolerance(char letter);
    /// The screen's tolerance text for the first character of `letter`; empty for none or an unknown letter.
    static std::string toleranceText(const std::string& letter);
    /// The power of ten a multiplier digit stands for: 0 … 7 as written, 8 → -2, 9 → -1.
    static int exponentOf(int multiplier);

    /// `code` read strictly: a digit 1 … 9, a digit, a multiplier digit 0 … 9, then optionally a tolerance
    /// letter in either case ("474K", "106", "478"). Nothing, with `refusal` set, for anything else.
    static std::optional<Reading> read(std::string_view code, Refusal* refusal);
    /// The screen's fragment for a reading: "Selected capacitor: <B>474K</B><BR/>…"; a missing letter shows as
    /// the space the screen's wheel holds.
    static std::string html(const Reading& reading);
    /// The fragment for digits and a letter as the screen picked them. The digits 10 use written-out texts
    /// ("100 nF", not "10.0"); a multiplier digit is placed as a decimal point or zeros, never computed.
    static std::string html(int d1, int d2, int multiplier, const std::string& letter);

    /// The rows of the screen's four wheels (digits, multiplier digit, tolerance letter), in component order.
    static const std::vector<std::vector<std::string>>& wheels();
    /// The fragment for wheel entries as texts ("4", "7", "4", "K"), each digit read as the screen reads a
    /// field (leading digits, else 0).
    static std::string wheelHtml(const std::string& digit1, const std::string& digit2, const std::string& multiplier,
                                 const std::string& letter);
};
