#pragma once
#include <string>

/// The NE555 timer: the pulse length of the monostable circuit (one R, one C) and the high time, low time and
/// frequency of the astable circuit (Ra, Rb, one C). Kilo-ohms times microfarads are milliseconds; every figure is
/// single precision, with the products taken in double where noted, as the results have always been computed.
class Ne555Timer {
public:
    /// The astable circuit's times in milliseconds; `valid` is false when a value is too small to compute with.
    struct Astable {
        bool valid = false;
        float t1 = 0, t2 = 0;
    };
    /// The two astable lines: the times, then the frequency.
    struct AstableLines {
        std::string times, frequency;
    };
    /// The five field texts, initially those the screen opens with.
    struct Texts {
        std::string c1 = "10", r1 = "1", c2 = "10", ra = "1", rb = "1";
    };
    /// The screen's three lines: the monostable pulse, the astable times, the astable frequency.
    struct Lines {
        std::string pulse;
        AstableLines astable;
    };

    /// The monostable pulse in milliseconds; nothing is checked, whatever the product gives is the answer.
    static float monostablePulse(float microfarads, float kiloOhms);
    static std::string monostableLine(float pulse);
    static Astable astable(float microfarads, float ra, float rb);
    static AstableLines astableLines(const Astable& times);
    /// The astable frequency in hertz, single precision: 1000 / (t1 + t2).
    static float hertz(const Astable& times);

    /// The lines for the five field texts (read with `floatValue`).
    static Lines linesForTexts(const Texts& texts);
};
