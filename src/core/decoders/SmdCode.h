#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <variant>

/// SMD resistor markings: R notation (4R7), three- and four-digit codes (472, 4702), EIA-96 (01C), and on the
/// command line a letter as the decimal point (4K7, 1M0). What a marking says, and the SMD screen's result line.
class SmdCode {
public:
    enum class Form { RNotation, LetterPoint, ThreeDigit, FourDigit, Eia96 };
    /// A marking as its rule read it. `number` is the code's digits read as a number (47 of "472", 450 of
    /// "4501"), or for EIA-96 the E96 value of the code (301 of "48C"); `multiplier` the last character.
    struct Reading {
        Form form = Form::ThreeDigit;
        std::string pointed;  ///< R and letter markings: the text with the letter as ".", "4.7" of "4R7"
        int number = 0;
        char multiplier = 0;
        std::optional<double> ohms;  ///< none for an R marking whose text is no number (the screen takes any)
    };
    /// Why a marking gives no value; each is a line of the screen's.
    enum class Refusal {
        NotAMarking,     ///< "Results: invalid value"
        TooBig,          ///< "Value too big for SMD": multiplier digits 8 and 9 (three digits), 7 to 9 (four)
        UnknownEiaCode,  ///< "Result: incorrect value": an EIA-96 code outside 01 … 96
    };
    using Result = std::variant<Reading, Refusal>;

    /// The marking read as the screen reads its field: upper-cased, any text holding an R is R notation, other
    /// texts by their length, parts read with the platform's `intValue` (so "ABC" reads as 0 ohm).
    static Result screenReading(std::string_view text);
    /// The marking read strictly: only digits around one R, K or M, three or four digits, or two digits and an
    /// EIA-96 letter (either case). Nothing for any other text, which is no SMD marking; a code the screen
    /// rejects is refused as it would be.
    static std::optional<Result> read(std::string_view marking);
    /// The screen's line for a result: "Results: 4.7 KOhm", or the refusal's line.
    static std::string text(const Result& result);
    /// The E96 value (100 … 976) of EIA-96 code `code`, or 0 for a code outside 1 … 96.
    static int eia96Value(int code);
};
