#pragma once
#include <optional>
#include <string>

class ESeries;

/// The other ways round an adjustable regulator, Vout = Vref · (1 + R2/R1) + Iadj · R2 (R1 from the output to
/// the adjust or feedback pin, R2 from there to ground): R1 for a wanted output with R2 chosen, the output of
/// two resistors, and the spread of the output over the resistors' tolerance. The standard type (a feedback
/// pin that draws nothing) is the case Iadj = 0; the three-terminal type's adjust pin sources Iadj.
class RegulatorSolver {
public:
    struct Circuit {
        double vref = 1.25;   ///< volts between the output and the adjust pin
        double iadj = 50e-6;  ///< amperes out of the adjust pin; 0 for the standard type
    };
    struct R1Result {
        double r1Exact = 0, r1 = 0;  ///< the exact R1 and the series value nearest it
        double vout = 0;             ///< what that R1 gives
        double errorPercent = 0;
    };
    struct Spread {
        double min = 0, max = 0;  ///< volts
    };

    /// Vout of the circuit with R1 and R2.
    static double output(const Circuit& c, double r1, double r2);
    /// R1 for `vout` with R2 fixed; nothing, with `error` set, for values out of range or an output R2 alone
    /// reaches (Iadj · R2 + Vref at least Vout).
    static std::optional<R1Result> findR1(const Circuit& c, double vout, double r2, const ESeries& series,
                                          std::string* error);
    /// The lowest and highest Vout with each resistor anywhere within ±`percent` of its value (R1 high and R2
    /// low give the lowest).
    static Spread spread(const Circuit& c, double r1, double r2, double percent);
    /// False, with `error` set, unless Vref and both resistors are above 0 and Iadj is not negative.
    static bool check(const Circuit& c, double r1, double r2, std::string* error);
};
