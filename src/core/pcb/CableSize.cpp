#include "core/pcb/CableSize.h"

#include <cmath>
#include <numbers>

#include "core/pcb/InputCheck.h"

double CableSize::awgDiameter(int gauge) { return 0.127e-3 * std::pow(92.0, (36.0 - gauge) / 39.0); }

double CableSize::awgArea(int gauge) { return std::numbers::pi / 4 * std::pow(awgDiameter(gauge), 2); }

std::optional<int> CableSize::awgNamed(std::string_view text) {
    if (text.size() == 3 && text[0] >= '1' && text[0] <= '4' && text.substr(1) == "/0") return '1' - text[0];
    if (text.size() > 1 && text.find_first_not_of('0') == std::string_view::npos && text.size() <= 4)
        return 1 - static_cast<int>(text.size());  // "00" is -1 … "0000" is -3
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int n = std::stoi(std::string(text));
    if (n > 40 || (text.size() == 2 && text[0] == '0')) return std::nullopt;
    return n;
}

std::string CableSize::awgName(int gauge) { return gauge >= 0 ? std::to_string(gauge) : std::to_string(1 - gauge) + "/0"; }

const std::vector<double>& CableSize::metricSizes() {
    static const std::vector<double> sizes = [] {
        std::vector<double> m;
        for (double mm2 : {0.5, 0.75, 1.0, 1.5, 2.5, 4.0, 6.0, 10.0, 16.0, 25.0, 35.0, 50.0, 70.0, 95.0, 120.0, 150.0,
                           185.0, 240.0, 300.0})
            m.push_back(mm2 * 1e-6);
        return m;
    }();
    return sizes;
}

std::optional<CableSize::Result> CableSize::compute(const Query& q, std::string* error) {
    if (!pcb::above0(q.area, "area", error) || !pcb::atLeast0(q.length, "length", error) ||
        !pcb::atLeast0(q.current, "current", error) || (q.maxDrop && !pcb::above0(*q.maxDrop, "max drop", error)))
        return std::nullopt;
    auto loop = [&](double area) { return conductor::resistance(*q.material, 2 * q.length, area, q.temperature); };
    Result r;
    r.area = q.area;
    r.resistance = loop(q.area);
    r.drop = q.current * r.resistance;
    r.loss = q.current * r.drop;
    r.currentDensity = q.current / q.area;
    // Closest on a log scale, as the sizes of both systems step by ratios.
    auto closer = [&](double a, double b) { return std::fabs(std::log(a / q.area)) < std::fabs(std::log(b / q.area)); };
    r.nearestAwg = -3;
    for (int g = -2; g <= 40; ++g)
        if (closer(awgArea(g), awgArea(r.nearestAwg))) r.nearestAwg = g;
    r.nearestMetric = metricSizes().front();
    for (double m : metricSizes())
        if (closer(m, r.nearestMetric)) r.nearestMetric = m;
    if (q.maxDrop) {
        for (int g = 40; g >= -3 && !r.smallestAwg; --g)
            if (q.current * loop(awgArea(g)) <= *q.maxDrop) r.smallestAwg = g;
        for (double m : metricSizes())
            if (!r.smallestMetric && q.current * loop(m) <= *q.maxDrop) r.smallestMetric = m;
    }
    return r;
}
