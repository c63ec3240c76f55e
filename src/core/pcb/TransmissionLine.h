#pragma once
#include <optional>
#include <string>
#include <string_view>

/// Characteristic impedance of board and cable lines (analysis), and the width or diameter that gives a wanted
/// impedance (synthesis, found by bisection on the analysis, so the two always agree).
class TransmissionLine {
public:
    enum class Kind { Microstrip, Stripline, Cpw, Gcpw, Coax, TwistedPair, CoupledMicrostrip };

    /// Every length in metres; each kind reads only what its model uses.
    struct Geometry {
        double width = 0;      ///< track (or CPW centre strip) width
        double height = 0;     ///< dielectric under a microstrip or CPW; plane to plane for a stripline
        double thickness = 0;  ///< copper (microstrip and stripline)
        double er = 1;         ///< relative permittivity
        double gap = 0;        ///< CPW slot, or the space between coupled tracks
        double outer = 0, inner = 0;        ///< coax: the shield's inside and the centre conductor's diameters
        double diameter = 0, spacing = 0;   ///< twisted pair: wire diameter and centre-to-centre spacing
    };
    struct Result {
        double z0 = 0;     ///< Ω; for coupled lines, each track's alone
        double erEff = 0;  ///< effective permittivity
        double delay = 0;  ///< s per metre
        std::optional<double> zDiff, zOdd;  ///< coupled lines
    };

    /// "microstrip", "stripline", "cpw", "gcpw", "coax", "twisted-pair", "coupled-microstrip".
    static std::optional<Kind> kindNamed(std::string_view name);
    static const char* name(Kind kind);
    /// The dimension synthesis finds: "width", "inner" (coax) or "diameter" (twisted pair).
    static const char* solvedFor(Kind kind);

    /// Nothing, with `error` set, for a geometry out of the model's range.
    static std::optional<Result> analyse(Kind kind, const Geometry& g, std::string* error);
    /// `g` with its solved dimension set so that the impedance (the differential one for coupled lines) is
    /// `z0`; nothing, with `error` set, when no value of it reaches `z0` or the rest of `g` is out of range.
    static std::optional<Geometry> synthesise(Kind kind, Geometry g, double z0, std::string* error);
};
