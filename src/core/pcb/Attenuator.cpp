#include "core/pcb/Attenuator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/bench/ESeries.h"
#include "core/bench/Quantity.h"
#include "core/pcb/InputCheck.h"

namespace {

using Kind = Attenuator::Kind;

struct Resistor {
    int a, b;  // nodes, 0 being ground
    double ohms;
};

// Node voltages of a resistor network with 1 A driven into `driven`, by Gaussian elimination on its
// conductance matrix (nodes 1 … n).
std::vector<double> solve(int n, const std::vector<Resistor>& parts, int driven) {
    std::vector<std::vector<double>> g(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(n) + 1, 0));
    for (const Resistor& r : parts) {
        const double y = 1 / r.ohms;
        for (int node : {r.a, r.b})
            if (node > 0) g[static_cast<size_t>(node - 1)][static_cast<size_t>(node - 1)] += y;
        if (r.a > 0 && r.b > 0) {
            g[static_cast<size_t>(r.a - 1)][static_cast<size_t>(r.b - 1)] -= y;
            g[static_cast<size_t>(r.b - 1)][static_cast<size_t>(r.a - 1)] -= y;
        }
    }
    g[static_cast<size_t>(driven - 1)][static_cast<size_t>(n)] = 1;
    for (size_t col = 0; col < static_cast<size_t>(n); ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < static_cast<size_t>(n); ++row)
            if (std::fabs(g[row][col]) > std::fabs(g[pivot][col])) pivot = row;
        std::swap(g[col], g[pivot]);
        for (size_t row = 0; row < static_cast<size_t>(n); ++row) {
            if (row == col) continue;
            const double f = g[row][col] / g[col][col];
            for (size_t k = col; k <= static_cast<size_t>(n); ++k) g[row][k] -= f * g[col][k];
        }
    }
    std::vector<double> v(static_cast<size_t>(n));
    for (size_t i = 0; i < v.size(); ++i) v[i] = g[i][static_cast<size_t>(n)] / g[i][i];
    return v;
}

// The pad's resistors between input node 1 and output node 2 (3 and 4 for inner nodes and a splitter's second
// output).
std::vector<Resistor> pad(Kind kind, double r1, double r2, double r3) {
    switch (kind) {
        case Kind::Pi: return {{1, 0, r1}, {1, 2, r2}, {2, 0, r3}};
        case Kind::T: return {{1, 3, r1}, {3, 0, r2}, {3, 2, r3}};
        case Kind::BridgedT: return {{1, 2, r1}, {3, 0, r2}, {1, 3, r3}, {3, 2, r3}};
        case Kind::Splitter: return {{1, 3, r1}, {3, 2, r2}, {3, 4, r3}};
    }
    return {};
}

// Voltage at `from` and at `to` for 1 A into `from`, `to` loaded by `zTo` (and a splitter's second output by
// the same, its ends being equal).
std::pair<double, double> drive(Kind kind, std::vector<Resistor> parts, int from, int to, double zTo) {
    parts.push_back({to, 0, zTo});
    if (kind == Kind::Splitter) parts.push_back({4, 0, zTo});
    int n = 0;
    for (const Resistor& r : parts) n = std::max({n, r.a, r.b});
    const auto v = solve(n, parts, from);
    return {v[static_cast<size_t>(from - 1)], v[static_cast<size_t>(to - 1)]};
}

std::string decibels(double db) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g dB", db);
    return buf;
}

}  // namespace

std::optional<Kind> Attenuator::kindNamed(std::string_view name) {
    if (name == "pi") return Kind::Pi;
    if (name == "t") return Kind::T;
    if (name == "bridged-t") return Kind::BridgedT;
    if (name == "splitter") return Kind::Splitter;
    return std::nullopt;
}

double Attenuator::minimumLoss(double zin, double zout) {
    const double ratio = std::max(zin, zout) / std::min(zin, zout);
    return 20 * std::log10(std::sqrt(ratio) + std::sqrt(ratio - 1));
}

Attenuator::Network Attenuator::evaluate(Kind kind, double r1, double r2, double r3, double zin, double zout) {
    Network n{r1, r2, r3};
    const auto parts = pad(kind, r1, r2, r3);
    const auto [vIn, vOut] = drive(kind, parts, 1, 2, zout);
    n.zinSeen = vIn;  // 1 A in: the voltage is the impedance, and the power in
    n.db = 10 * std::log10(vIn / (vOut * vOut / zout));
    n.zoutSeen = drive(kind, parts, 2, 1, zin).first;
    n.returnLoss = -20 * std::log10(std::fabs((n.zinSeen - zin) / (n.zinSeen + zin)));
    return n;
}

std::optional<Attenuator::Result> Attenuator::design(const Query& q, std::string* error) {
    if (!pcb::above0(q.zin, "zin", error) || !pcb::above0(q.zout, "zout", error)) return std::nullopt;
    if (q.kind != Kind::Splitter && !pcb::above0(q.db, "db", error)) return std::nullopt;
    const bool unequal = std::fabs(q.zin - q.zout) > 1e-12 * q.zin;
    if (unequal && (q.kind == Kind::BridgedT || q.kind == Kind::Splitter)) {
        pcb::refuse(std::string(q.kind == Kind::Splitter ? "a splitter" : "a bridged-T pad") +
                        " joins equal impedances: give --z0 only",
                    error);
        return std::nullopt;
    }
    const double z1 = q.zin, z2 = q.zout;
    const double k = std::pow(10, q.db / 20), n = k * k;  // voltage and power ratios
    double r1 = 0, r2 = 0, r3 = 0;
    switch (q.kind) {
        case Kind::Pi: {  // series arm, then each shunt arm from what is left of the end's conductance
            r2 = (n - 1) / 2 * std::sqrt(z1 * z2 / n);
            r1 = 1 / ((n + 1) / (z1 * (n - 1)) - 1 / r2);
            r3 = 1 / ((n + 1) / (z2 * (n - 1)) - 1 / r2);
            break;
        }
        case Kind::T: {
            r2 = 2 * std::sqrt(n * z1 * z2) / (n - 1);
            r1 = z1 * (n + 1) / (n - 1) - r2;
            r3 = z2 * (n + 1) / (n - 1) - r2;
            break;
        }
        case Kind::BridgedT:
            r1 = z1 * (k - 1);
            r2 = z1 / (k - 1);
            r3 = z1;
            break;
        case Kind::Splitter: r1 = r2 = r3 = z1 / 3; break;
    }
    for (double r : {r1, r2, r3}) {
        if (!(r > 0) || !std::isfinite(r)) {
            pcb::refuse("a pad between " + engineering(z1, Unit::Ohm) + " and " + engineering(z2, Unit::Ohm) +
                            " attenuates more than " + decibels(minimumLoss(z1, z2)),
                        error);
            return std::nullopt;
        }
    }
    auto nearest = [&](double r) { return q.series->around(r, ESeries::smallest(Unit::Ohm)).nearest; };
    Result result;
    result.exact = evaluate(q.kind, r1, r2, r3, z1, z2);
    result.nearest = evaluate(q.kind, nearest(r1), nearest(r2), nearest(r3), z1, z2);
    return result;
}
