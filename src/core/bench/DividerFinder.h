#pragma once
#include <optional>
#include <string>
#include <vector>

class ESeries;

/// The voltage divider of two series values closest to a wanted output.
class DividerFinder {
public:
    struct Query {
        double vin = 0;
        double vout = 0;
        const ESeries* series = nullptr;
        std::optional<double> load;  ///< ohms across the output, if any
        double minTotal = 1e3;       ///< R1 + R2 at least, ohms
        double maxTotal = 1e6;       ///< R1 + R2 at most, ohms
    };
    struct Divider {
        double r1 = 0;  ///< top, from the input to the output
        double r2 = 0;  ///< bottom, from the output to ground
        double vout = 0;
        double errorPercent = 0;  ///< (vout − wanted) / wanted × 100
    };

    /// "R1 2.4 kΩ, R2 910 Ω: 3.2991 V (-0.0275 %)".
    static std::string describe(const Divider& divider);

    /// The best divider first, then up to four alternatives of other ratios, over every pair of series values
    /// whose total lies in the range. Among pairs of one ratio (1k/2k, 10k/20k) the one whose total is nearest
    /// 10 kΩ is given. Nothing, with `error` set, for outputs outside (0, Vin) or an empty range.
    static std::optional<std::vector<Divider>> find(const Query& query, std::string* error);
};
