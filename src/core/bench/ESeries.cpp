#include "core/bench/ESeries.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// Exact powers of ten: a mantissa times or divided by one of these rounds once.
double powerOfTen(int k) {
    static const double table[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return k >= 0 && k <= 22 ? table[k] : std::pow(10.0, k);
}

const std::vector<int> kE192 = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123, 124, 126, 127, 129,
    130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152, 154, 156, 158, 160, 162, 164, 165, 167,
    169, 172, 174, 176, 178, 180, 182, 184, 187, 189, 191, 193, 196, 198, 200, 203, 205, 208, 210, 213, 215, 218,
    221, 223, 226, 229, 232, 234, 237, 240, 243, 246, 249, 252, 255, 258, 261, 264, 267, 271, 274, 277, 280, 284,
    287, 291, 294, 298, 301, 305, 309, 312, 316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361, 365, 370,
    374, 379, 383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448, 453, 459, 464, 470, 475, 481,
    487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556, 562, 569, 576, 583, 590, 597, 604, 612, 619, 626,
    634, 642, 649, 657, 665, 673, 681, 690, 698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816,
    825, 835, 845, 856, 866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

// E96 and E48 are every second and every fourth E192 value.
std::vector<int> everyNth(int n) {
    std::vector<int> out;
    for (size_t i = 0; i < kE192.size(); i += static_cast<size_t>(n)) out.push_back(kE192[i]);
    return out;
}

}  // namespace

bool sameValue(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b)); }

ESeries::ESeries(std::string name, std::vector<int> mantissas) : name_(std::move(name)), mantissas_(std::move(mantissas)) {}

const std::vector<const ESeries*>& ESeries::all() {
    static const ESeries e3("E3", {100, 220, 470});
    static const ESeries e6("E6", {100, 150, 220, 330, 470, 680});
    static const ESeries e12("E12", {100, 120, 150, 180, 220, 270, 330, 390, 470, 560, 680, 820});
    static const ESeries e24("E24", {100, 110, 120, 130, 150, 160, 180, 200, 220, 240, 270, 300,
                                     330, 360, 390, 430, 470, 510, 560, 620, 680, 750, 820, 910});
    static const ESeries e48("E48", everyNth(4));
    static const ESeries e96("E96", everyNth(2));
    static const ESeries e192("E192", kE192);
    static const std::vector<const ESeries*> series = {&e3, &e6, &e12, &e24, &e48, &e96, &e192};
    return series;
}

const ESeries* ESeries::named(std::string_view name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!upper.empty() && upper[0] != 'E') upper = "E" + upper;
    for (const ESeries* s : all())
        if (s->name() == upper) return s;
    return nullptr;
}

double ESeries::smallest(Unit unit) {
    switch (unit) {
        case Unit::Farad: return 0.1e-12;
        case Unit::Henry: return 0.1e-9;
        default: return 0.1;
    }
}

double ESeries::value(int index, int decade) const {
    const int k = decade - 2;  // mantissas carry two digits after the first
    const double m = mantissas_[static_cast<size_t>(index)];
    return k >= 0 ? m * powerOfTen(k) : m / powerOfTen(-k);
}

ESeries::Neighbours ESeries::around(double v, double floor) const {
    Neighbours n;
    const int n0 = static_cast<int>(mantissas_.size());
    if (v < floor && !sameValue(v, floor)) {
        n.above = n.nearest = floor;
        n.errorPercent = (floor - v) / v * 100;
        return n;
    }
    int decade = static_cast<int>(std::floor(std::log10(v)));
    // log10 may land a hair off near a power of ten: settle on the decade whose first value is ≤ v.
    while (v < value(0, decade) && !sameValue(v, value(0, decade))) --decade;
    while (v >= value(0, decade + 1) || sameValue(v, value(0, decade + 1))) ++decade;
    // The largest index whose value is ≤ v (or equal to it within rounding).
    int lo = 0, hi = n0 - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        const double x = value(mid, decade);
        if (x <= v || sameValue(x, v)) lo = mid;
        else hi = mid - 1;
    }
    const double below = value(lo, decade);
    if (sameValue(below, v)) {
        n.below = n.above = n.nearest = below;
        return n;
    }
    n.below = below;
    n.above = lo + 1 < n0 ? value(lo + 1, decade) : value(0, decade + 1);
    n.nearest = (v - below) <= (n.above - v) ? below : n.above;
    n.errorPercent = (n.nearest - v) / v * 100;
    return n;
}

bool ESeries::contains(double v) const {
    if (!(v > 0) || !std::isfinite(v)) return false;
    const Neighbours n = around(v, 0);
    return n.below && sameValue(*n.below, v);
}

std::vector<double> ESeries::valuesBetween(double lo, double hi) const {
    std::vector<double> out;
    if (!(lo > 0) || !(hi >= lo) || !std::isfinite(hi)) return out;
    const int first = static_cast<int>(std::floor(std::log10(lo))) - 1;
    const int last = static_cast<int>(std::floor(std::log10(hi))) + 1;
    for (int d = first; d <= last; ++d)
        for (int i = 0; i < static_cast<int>(mantissas_.size()); ++i) {
            const double x = value(i, d);
            if ((x >= lo || sameValue(x, lo)) && (x <= hi || sameValue(x, hi))) out.push_back(x);
        }
    return out;
}
