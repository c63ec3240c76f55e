#pragma once
#include <optional>
#include <string>

class ESeries;

/// R2 of an adjustable regulator (Vout = Vref · (1 + R2/R1) + Iadj · R2) for a wanted output.
class RegulatorFinder {
public:
    struct Query {
        double vout = 0;
        double r1 = 240;      ///< ohms, from the output to the adjust pin
        double vref = 1.25;   ///< volts between the output and the adjust pin
        double iadj = 50e-6;  ///< amperes out of the adjust pin
        const ESeries* series = nullptr;
    };
    struct Result {
        double r2Exact = 0;  ///< the R2 that gives Vout exactly
        double r2 = 0;       ///< the series value nearest it
        double vout = 0;     ///< what that R2 gives
        double errorPercent = 0;
    };

    /// Nothing, with `error` set, when Vout is not above Vref or R1, Vref or Iadj are out of range.
    static std::optional<Result> find(const Query& query, std::string* error);
};
