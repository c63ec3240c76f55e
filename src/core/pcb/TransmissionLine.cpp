#include "core/pcb/TransmissionLine.h"

#include <cmath>
#include <numbers>

#include "core/bench/Quantity.h"
#include "core/pcb/InputCheck.h"

namespace {

using Kind = TransmissionLine::Kind;
using Geometry = TransmissionLine::Geometry;
using Result = TransmissionLine::Result;
using std::numbers::pi;

constexpr double kEta0 = 376.730313668;  // impedance of free space, Ω
constexpr double kC = 299792458;         // m/s

struct Named {
    const char* name;
    Kind kind;
};
constexpr Named kNames[] = {{"microstrip", Kind::Microstrip},   {"stripline", Kind::Stripline},
                            {"cpw", Kind::Cpw},                 {"gcpw", Kind::Gcpw},
                            {"coax", Kind::Coax},               {"twisted-pair", Kind::TwistedPair},
                            {"coupled-microstrip", Kind::CoupledMicrostrip}};

// Hammerstad and Jensen, "Accurate Models for Microstrip Computer-Aided Design" (1980): the air line's
// impedance and the static effective permittivity for u = w/h, then the widths corrected for the strip's
// thickness.
double airMicrostrip(double u) {
    const double f = 6 + (2 * pi - 6) * std::exp(-std::pow(30.666 / u, 0.7528));
    return kEta0 / (2 * pi) * std::log(f / u + std::sqrt(1 + 4 / (u * u)));
}

double effectiveMicrostrip(double u, double er) {
    const double a = 1 + std::log((std::pow(u, 4) + std::pow(u / 52, 2)) / (std::pow(u, 4) + 0.432)) / 49 +
                     std::log(1 + std::pow(u / 18.1, 3)) / 18.7;
    const double b = 0.564 * std::pow((er - 0.9) / (er + 3), 0.053);
    return (er + 1) / 2 + (er - 1) / 2 * std::pow(1 + 10 / u, -a * b);
}

Result microstrip(const Geometry& g) {
    const double u = g.width / g.height, t = g.thickness / g.height;
    double du1 = 0, dur = 0;
    if (t > 0) {
        const double coth = 1 / std::tanh(std::sqrt(6.517 * u));
        du1 = t / pi * std::log(1 + 4 * std::numbers::e / (t * coth * coth));
        dur = 0.5 * (1 + 1 / std::cosh(std::sqrt(g.er - 1))) * du1;
    }
    const double u1 = u + du1, ur = u + dur;
    const double eeR = effectiveMicrostrip(ur, g.er);
    Result r;
    r.z0 = airMicrostrip(ur) / std::sqrt(eeR);
    r.erEff = eeR * std::pow(airMicrostrip(u1) / airMicrostrip(ur), 2);
    return r;
}

// Wheeler, "Transmission-Line Properties of a Strip Line Between Parallel Planes" (1978): a centred strip of
// thickness t between planes b apart, the strip widened by its thickness.
Result stripline(const Geometry& g) {
    const double b = g.height, x = g.thickness / b;
    double w = g.width / (b - g.thickness);  // W'/(b − t)
    if (x > 0) {
        const double m = 2 / (1 + 2.0 / 3 * x / (1 - x));
        w += x / (pi * (1 - x)) *
             (1 - 0.5 * std::log(std::pow(x / (2 - x), 2) + std::pow(0.0796 * x / (g.width / b + 1.1 * x), m)));
    }
    const double k = 8 / (pi * w);
    Result r;
    r.z0 = kEta0 / (4 * pi * std::sqrt(g.er)) * std::log(1 + 4 / (pi * w) * (k + std::sqrt(k * k + 6.27)));
    r.erEff = g.er;
    return r;
}

// K(k)/K(k') with K the complete elliptic integral of the first kind.
double ellipticRatio(double k) { return std::comp_ellint_1(k) / std::comp_ellint_1(std::sqrt(1 - k * k)); }

// Coplanar waveguide by conformal mapping (Simons, "Coplanar Waveguide Circuits, Components, and Systems"):
// a centre strip in slots of equal width on a substrate of height h, without and with a ground plane below.
Result coplanar(const Geometry& g, bool grounded) {
    const double s = g.width, w = g.gap, h = g.height;
    const double k0 = s / (s + 2 * w);
    const double q0 = ellipticRatio(k0);  // K(k0)/K(k0')
    Result r;
    if (!grounded) {
        const double k1 = std::sinh(pi * s / (4 * h)) / std::sinh(pi * (s + 2 * w) / (4 * h));
        r.erEff = 1 + (g.er - 1) / 2 * ellipticRatio(k1) / q0;
        r.z0 = 30 * pi / std::sqrt(r.erEff) / q0;
    } else {
        const double k3 = std::tanh(pi * s / (4 * h)) / std::tanh(pi * (s + 2 * w) / (4 * h));
        const double q = ellipticRatio(k3) / q0;
        r.erEff = (1 + g.er * q) / (1 + q);
        r.z0 = 60 * pi / std::sqrt(r.erEff) / (q0 + ellipticRatio(k3));
    }
    return r;
}

bool checked(Kind kind, const Geometry& g, std::string* error) {
    using pcb::above0;
    if (!above0(g.er, "er", error)) return false;
    if (g.er < 1) return pcb::refuse("er must be at least 1", error);
    switch (kind) {
        case Kind::Microstrip:
        case Kind::CoupledMicrostrip:
            return above0(g.width, "width", error) && above0(g.height, "height", error) &&
                   pcb::atLeast0(g.thickness, "thickness", error) &&
                   (kind == Kind::Microstrip || above0(g.gap, "gap", error));
        case Kind::Stripline:
            return above0(g.width, "width", error) && above0(g.height, "height", error) &&
                   pcb::atLeast0(g.thickness, "thickness", error) &&
                   (g.thickness < g.height || pcb::refuse("thickness must be less than the height", error));
        case Kind::Cpw:
        case Kind::Gcpw:
            return above0(g.width, "width", error) && above0(g.height, "height", error) && above0(g.gap, "gap", error);
        case Kind::Coax:
            return above0(g.outer, "outer", error) && above0(g.inner, "inner", error) &&
                   (g.inner < g.outer || pcb::refuse("inner must be less than the outer diameter", error));
        case Kind::TwistedPair:
            return above0(g.diameter, "diameter", error) && above0(g.spacing, "spacing", error) &&
                   (g.diameter < g.spacing || pcb::refuse("spacing must be more than the diameter", error));
    }
    return false;
}

// The solved dimension of a geometry, and the range synthesis searches it in.
double& solved(Kind kind, Geometry& g) {
    if (kind == Kind::Coax) return g.inner;
    if (kind == Kind::TwistedPair) return g.diameter;
    return g.width;
}

}  // namespace

std::optional<Kind> TransmissionLine::kindNamed(std::string_view name) {
    for (const Named& n : kNames)
        if (name == n.name) return n.kind;
    return std::nullopt;
}

const char* TransmissionLine::name(Kind kind) {
    for (const Named& n : kNames)
        if (n.kind == kind) return n.name;
    return "";
}

const char* TransmissionLine::solvedFor(Kind kind) {
    return kind == Kind::Coax ? "inner" : kind == Kind::TwistedPair ? "diameter" : "width";
}

std::optional<Result> TransmissionLine::analyse(Kind kind, const Geometry& g, std::string* error) {
    if (!checked(kind, g, error)) return std::nullopt;
    Result r;
    switch (kind) {
        case Kind::Microstrip: r = microstrip(g); break;
        case Kind::CoupledMicrostrip: {
            r = microstrip(g);
            // IPC-2141's closed form for edge-coupled microstrip: Zdiff = 2 Z0 (1 − 0.48 e^(−0.96 s/h)).
            r.zDiff = 2 * r.z0 * (1 - 0.48 * std::exp(-0.96 * g.gap / g.height));
            r.zOdd = *r.zDiff / 2;
            break;
        }
        case Kind::Stripline: r = stripline(g); break;
        case Kind::Cpw: r = coplanar(g, false); break;
        case Kind::Gcpw: r = coplanar(g, true); break;
        case Kind::Coax:  // Z0 = η0 / (2π √εr) · ln(D/d)
            r.erEff = g.er;
            r.z0 = kEta0 / (2 * pi * std::sqrt(g.er)) * std::log(g.outer / g.inner);
            break;
        case Kind::TwistedPair:  // two round wires: Z0 = η0 / (π √εr) · acosh(s/d)
            r.erEff = g.er;
            r.z0 = kEta0 / (pi * std::sqrt(g.er)) * std::acosh(g.spacing / g.diameter);
            break;
    }
    r.delay = std::sqrt(r.erEff) / kC;
    return r;
}

std::optional<Geometry> TransmissionLine::synthesise(Kind kind, Geometry g, double z0, std::string* error) {
    if (!pcb::above0(z0, "z0", error)) return std::nullopt;
    double& x = solved(kind, g);
    // Every model's impedance falls as the solved dimension grows; it is searched on a log scale between
    // limits that cover any line that can be made (for coax and twisted pair, up to the other diameter).
    double lo, hi;
    if (kind == Kind::Coax || kind == Kind::TwistedPair) {
        const double bound = kind == Kind::Coax ? g.outer : g.spacing;
        if (!pcb::above0(bound, kind == Kind::Coax ? "outer" : "spacing", error)) return std::nullopt;
        lo = bound * 1e-9;
        hi = bound * (1 - 1e-12);
    } else {
        if (!pcb::above0(g.height, "height", error)) return std::nullopt;
        lo = g.height * 1e-6;
        // Wider, a coplanar line's tanh(πw/4h) rounds to 1 and its sinh overflows.
        hi = g.height * (kind == Kind::Cpw || kind == Kind::Gcpw ? 10 : 100);
    }
    auto impedance = [&](double v) -> std::optional<double> {
        x = v;
        auto r = analyse(kind, g, error);
        if (!r) return std::nullopt;
        return r->zDiff ? *r->zDiff : r->z0;
    };
    const auto zLo = impedance(lo), zHi = impedance(hi);
    if (!zLo || !zHi) return std::nullopt;
    if (!(z0 <= *zLo && z0 >= *zHi)) {
        pcb::refuse(std::string("no ") + solvedFor(kind) + " gives " + engineering(z0, Unit::Ohm) + " here (from " +
                        engineering(*zHi, Unit::Ohm) + " to " + engineering(*zLo, Unit::Ohm) + ")",
                    error);
        return std::nullopt;
    }
    for (int i = 0; i < 200 && hi / lo > 1 + 1e-13; ++i) {
        const double mid = std::sqrt(lo * hi);
        (*impedance(mid) > z0 ? lo : hi) = mid;
    }
    x = std::sqrt(lo * hi);
    return g;
}
