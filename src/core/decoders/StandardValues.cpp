#include "core/decoders/StandardValues.h"

#include <algorithm>
#include <array>
#include <span>

#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

// The lists are the screen's own and deliberately not the full E24 row: the ohm list lacks 16, 18, 300 and 360
// and holds only 1, 2 and 3 below 10. Each list but the ohm list repeats its first value, so a typed value equal
// to it is found as an exact match at index 1.
constexpr std::array<std::uint64_t, 48> kOhms = {
    1,   2,   3,   10,  11,  12,  13,  15,  20,  22,  24,  27,  30,  33,  36,  39,  43,  47,  51,  56,  62,  68,  75, 82,
    91,  100, 110, 120, 130, 150, 160, 180, 200, 220, 240, 270, 330, 390, 430, 470, 510, 560, 620, 680, 750, 820, 910, 1000};

constexpr std::array<std::uint64_t, 24> kMantissa = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                                      33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};

// The first value twice, the rest of the row times `scale`, then the top of the range.
std::array<std::uint64_t, 26> decadeList(std::uint64_t scale) {
    std::array<std::uint64_t, 26> list{};
    list[0] = kMantissa[0] * scale;
    for (size_t i = 0; i < kMantissa.size(); ++i) list[i + 1] = kMantissa[i] * scale;
    list[25] = 100 * scale;
    return list;
}

// 10000 twice, 11000 … 91000, 100000 … 910000, then 1000000.
std::array<std::uint64_t, 50> kiloOhmList() {
    std::array<std::uint64_t, 50> list{};
    list[0] = kMantissa[0] * 1000;
    for (size_t i = 0; i < kMantissa.size(); ++i) {
        list[i + 1] = kMantissa[i] * 1000;
        list[i + 25] = kMantissa[i] * 10000;
    }
    list[49] = 1000000;
    return list;
}

// The list of the range `ohms` lies in: below 1000, below 10000, below 1000000, up to 10000000.
std::span<const std::uint64_t> listFor(double ohms) {
    static const auto lowKiloOhms = decadeList(100);
    static const auto kiloOhms = kiloOhmList();
    static const auto megOhms = decadeList(100000);
    if (ohms < 1000) return kOhms;
    if (ohms < 10000) return lowKiloOhms;
    if (ohms < 1000000) return kiloOhms;
    return megOhms;
}

int whole(std::uint64_t v) { return static_cast<int>(v); }

}  // namespace

std::optional<StandardValues::Nearest> StandardValues::around(double ohms) {
    if (!(ohms >= 1 && ohms <= 10000000)) return std::nullopt;
    const auto list = listFor(ohms);
    // The first value from index 1 on that is not below the resistance, and the one before it. Index 0 is never
    // the upper neighbour; every list ends at or above the top of its range, so the search always finds one.
    auto it = std::lower_bound(list.begin() + 1, list.end(), ohms,
                               [](std::uint64_t entry, double v) { return static_cast<double>(entry) < v; });
    return Nearest{ohms, *(it - 1), *it};
}

std::string StandardValues::text(const Nearest& n) {
    const std::uint64_t d = n.lower, u = n.upper;
    if (n.ohms < 1000) {
        if (n.exact()) return format("Nearest value: %d Ohms", whole(u));
        return format("Nearest value: %d or %d Ohms", whole(d), whole(u));
    }
    if (n.ohms < 10000) {
        if (n.exact()) return format("Nearest value: %d.%d KOhm", whole(u / 1000), whole((u % 1000) / 100));
        return format("Nearest value: %d.%d or %d.%d KOhm", whole(d / 1000), whole((d % 1000) / 100), whole(u / 1000),
                      whole((u % 1000) / 100));
    }
    if (n.ohms < 1000000) {
        if (n.exact()) return format("Nearest value: %d KOhm", whole(u / 1000));
        return format("Nearest value: %d or %d KOhm", whole(d / 1000), whole(u / 1000));
    }
    // The single-value form carries whole megohms only, so it is used for an exact match of 1, 10 … MOhm; an
    // exact match such as 2.2 MOhm keeps the two-value form, where it shows as the upper value.
    if (n.exact() && u % 1000000 == 0) return format("Nearest value: %d MOhm", whole(u / 1000000));
    const std::uint64_t dk = d / 1000, uk = u / 1000;
    return format("Nearest value: %d.%d or %d.%d MOhm", whole(dk / 1000), whole((dk % 1000) / 100), whole(uk / 1000),
                  whole((uk % 1000) / 100));
}

std::string StandardValues::screenText(const std::string& typed) {
    const std::int64_t v = longLongValue(typed);
    const auto n = v >= 1 && v <= 10000000 ? around(static_cast<double>(v)) : std::nullopt;
    return n ? text(*n) : kIncorrect;
}
