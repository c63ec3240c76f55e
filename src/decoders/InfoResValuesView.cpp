#include "decoders/InfoResValuesView.h"

#include <algorithm>
#include <array>
#include <span>

#include "benchscreens/InfoValueFinderView.h"
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

struct Neighbours {
    std::uint64_t lower, upper;
};

// The first value from index 1 on that is not below v, and the one before it. Index 0 is never the upper
// neighbour. Every list ends at or above the top of its range, so a value of the range always finds one.
Neighbours search(std::span<const std::uint64_t> list, std::uint64_t v) {
    auto it = std::lower_bound(list.begin() + 1, list.end(), v);
    if (it == list.end()) --it;  // not reached for a value of the list's range
    return {*(it - 1), *it};
}

int whole(std::uint64_t v) { return static_cast<int>(v); }

}  // namespace

InfoResValuesView::InfoResValuesView(std::string nibName) : ViewController(std::move(nibName)) {
    m_cResistance.setDelegate(this);
    m_cResistance.setKeyboardType(TextField::Keyboard::NumberPad);
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cResult", m_cResult);
    // The typed resistance in every series and as markings, on a screen over this one.
    registerAction("onShowValueFinder", [this] {
        presentModalViewController(std::make_unique<InfoValueFinderView>("InfoValueFinderView", m_cResistance.text()),
                                   true);
    });
    registerAction("onButtonBack", [this] {
        _textObserver.cancel();
        dismissModalViewControllerAnimated(true);
    });
}

void InfoResValuesView::viewDidLoad() {
    m_cResistance.setText("12345");
    ShowResults();
    _textObserver.observeAll([this] { ShowResults(); });
}

bool InfoResValuesView::textFieldShouldReturn(TextField* field) {
    if (field) field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoResValuesView::ShowResults() { m_cResult.setText(resultText(m_cResistance.text())); }

std::string InfoResValuesView::resultText(const std::string& text) {
    const std::int64_t typed = longLongValue(text);
    if (typed < 1 || typed > 10000000) return "Incorrect value";
    const auto v = static_cast<std::uint64_t>(typed);

    if (v <= 999) {
        const auto [d, u] = search(kOhms, v);
        if (v == u) return format("Nearest value: %d Ohms", whole(u));
        return format("Nearest value: %d or %d Ohms", whole(d), whole(u));
    }
    if (v <= 9999) {
        static const auto lowKiloOhms = decadeList(100);
        const auto [d, u] = search(lowKiloOhms, v);
        if (v == u) return format("Nearest value: %d.%d KOhm", whole(u / 1000), whole((u % 1000) / 100));
        return format("Nearest value: %d.%d or %d.%d KOhm", whole(d / 1000), whole((d % 1000) / 100), whole(u / 1000),
                      whole((u % 1000) / 100));
    }
    if (v <= 999999) {
        static const auto kiloOhms = kiloOhmList();
        const auto [d, u] = search(kiloOhms, v);
        if (v == u) return format("Nearest value: %d KOhm", whole(u / 1000));
        return format("Nearest value: %d or %d KOhm", whole(d / 1000), whole(u / 1000));
    }
    static const auto megOhms = decadeList(100000);
    const auto [d, u] = search(megOhms, v);
    // The single-value form carries whole megohms only, so it is used for an exact match of 1, 10 … MOhm; an
    // exact match such as 2.2 MOhm keeps the two-value form, where it shows as the upper value.
    if (v == u && u % 1000000 == 0) return format("Nearest value: %d MOhm", whole(u / 1000000));
    const std::uint64_t dk = d / 1000, uk = u / 1000;
    return format("Nearest value: %d.%d or %d.%d MOhm", whole(dk / 1000), whole((dk % 1000) / 100), whole(uk / 1000),
                  whole((uk % 1000) / 100));
}
