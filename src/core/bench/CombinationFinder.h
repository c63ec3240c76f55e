#pragma once
#include <optional>
#include <string>
#include <vector>

class ESeries;

/// The series values that come closest to a resistance alone, two in series, two in parallel and three in any
/// arrangement.
class CombinationFinder {
public:
    struct Combination {
        std::vector<double> values;  ///< R1, R2, R3 as the arrangement names them
        std::string arrangement;     ///< "R1", "R1 + R2", "R1 || R2", "R1 + R2 + R3", "(R1 || R2) + R3", …
        double result = 0;           ///< the resistance they make
        double errorPercent = 0;     ///< (result − target) / target × 100
    };
    struct Result {
        Combination single, series, parallel, three;
    };

    /// The arrangement with its values and result: "3.9 Ω + 560 mΩ + 680 mΩ = 5.14 Ω (0 %)".
    static std::string describe(const Combination& combination);

    /// Exhaustive over the series: every single value and pair; for three, every arrangement whose two
    /// chosen values lie within two decades of the target (the third is then the best value for them). Nothing,
    /// with `error` set, for a target not above 0.1 Ω.
    static std::optional<Result> find(double target, const ESeries& series, std::string* error);
};
