#pragma once
#include <optional>
#include <string>
#include <string_view>

class ESeries;

/// Resistive pads: the pi, T and bridged-T attenuators and the two-way resistive splitter, their resistors for
/// an attenuation between two impedances, and what the nearest values of a series give.
class Attenuator {
public:
    enum class Kind { Pi, T, BridgedT, Splitter };
    struct Query {
        Kind kind = Kind::Pi;
        double db = 10;      ///< attenuation; the splitter's is fixed
        double zin = 50;     ///< Ω at the input
        double zout = 50;    ///< Ω at the output; only pi and T pads may have it differ from zin
        const ESeries* series = nullptr;
    };
    /// r1 and r3 sit at the input and output ends, r2 between: pi — r1, r3 shunt, r2 series; T — r1, r3 series,
    /// r2 shunt; bridged-T — r1 the bridge, r2 the shunt, r3 each of the two equal series arms; splitter — the
    /// three arms of the star.
    struct Network {
        double r1 = 0, r2 = 0, r3 = 0;
        double db = 0;           ///< the power lost from input to (one) output, each end loaded by its impedance
        double zinSeen = 0;      ///< Ω looking into the input, the output loaded
        double zoutSeen = 0;     ///< Ω looking into the output, the input loaded
        double returnLoss = 0;   ///< dB at the input (infinite for a perfect match)
    };
    struct Result {
        Network exact, nearest;
    };

    /// "pi", "t", "bridged-t", "splitter".
    static std::optional<Kind> kindNamed(std::string_view name);
    /// Nothing, with `error` set, for an attenuation a pad cannot give between the two impedances (below the
    /// minimum-loss pad's) or values out of range.
    static std::optional<Result> design(const Query& query, std::string* error);
    /// The attenuation and match of a network of the kind with resistors r1 … r3 between zin and zout.
    static Network evaluate(Kind kind, double r1, double r2, double r3, double zin, double zout);
    /// The least attenuation of a pad between two impedances, dB (0 when they are equal).
    static double minimumLoss(double zin, double zout);
};
