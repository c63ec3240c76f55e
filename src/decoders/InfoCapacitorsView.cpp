#include "decoders/InfoCapacitorsView.h"

#include <array>

#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

struct Capacitance {
    std::string pF, nF, uF;
};

// The digits 10 read better as written out than through the general formats (10 nF, not 1.0 x 10 nF);
// x100000 (row "5") is not here and goes through the general table.
const std::array<Capacitance, 6> kTenFixed = {{
    {"1.0", "0.001", "0.000001"},  // "9", x0.1
    {"10", "0.01", "0.00001"},      // "0"
    {"100", "0.1", "0.0001"},       // "1"
    {"1000", "1.0", "0.001"},       // "2"
    {"10000", "10", "0.01"},        // "3"
    {"100000", "100", "0.1"},       // "4"
}};

// Index into the per-multiplier tables: "9" (x0.1) first, then 0 to 5; -1 for a digit no wheel offers.
int multiplierIndex(int m) {
    if (m == 9) return 0;
    if (m >= 0 && m <= 5) return m + 1;
    return -1;
}

Capacitance capacitance(int d1, int d2, int m) {
    const int index = multiplierIndex(m);
    if (index < 0) return {};
    if (d1 == 1 && d2 == 0 && index < static_cast<int>(kTenFixed.size())) return kTenFixed[static_cast<size_t>(index)];
    // The digits are placed around a decimal point or followed by zeros; nothing is computed as a number.
    static const std::array<std::array<const char*, 3>, 7> general = {{
        {"%d.%d", "0.00%d%d", "0.00000%d%d"},
        {"%d%d", "0.0%d%d", "0.0000%d%d"},
        {"%d%d0", "0.%d%d", "0.000%d%d"},
        {"%d%d00", "%d.%d", "0.00%d%d"},
        {"%d%d000", "%d%d", "0.0%d%d"},
        {"%d%d0000", "%d%d0", "0.%d%d"},
        {"%d%d00000", "%d%d00", "%d.%d"},
    }};
    const auto& f = general[static_cast<size_t>(index)];
    return {format(f[0], d1, d2), format(f[1], d1, d2), format(f[2], d1, d2)};
}

}  // namespace

InfoCapacitorsView::InfoCapacitorsView(std::string nibName)
    : WheelsScreen(std::move(nibName), {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4}) {
    registerOutlet("m_cResultsHTMLView", m_cResultsHTMLView);
}

const std::vector<std::vector<std::string>>& InfoCapacitorsView::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {"9", "0", "1", "2", "3", "4", "5"},
        // "N" is last so that the other letters keep the rows people and scripts know them by.
        {" ", "E", "F", "G", "H", "J", "K", "M", "P", "Z", "B", "C", "D", "N"},
    };
    return rows;
}

void InfoCapacitorsView::viewDidLoad() {
    m_cArrayData1 = wheels()[0];
    m_cArrayData2 = wheels()[1];
    m_cArrayData3 = wheels()[2];
    m_cArrayData4 = wheels()[3];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0);
}

std::optional<std::string> InfoCapacitorsView::pickerViewTitleForRowForComponent(PickerView*, int row,
                                                                                 int component) {
    return entry(component, row);
}

void InfoCapacitorsView::ShowResults(int r0, int r1, int r2, int r3) {
    m_cResultsHTMLView.loadHTMLString(resultHTML(entry(0, r0), entry(1, r1), entry(2, r2), entry(3, r3)));
}

std::string InfoCapacitorsView::toleranceText(const std::string& letter) {
    if (letter.empty()) return {};
    switch (letter[0]) {
        case 'E': return "+/- 0.5%";
        case 'F': return "+/- 1%";
        case 'G': return "+/- 2%";
        case 'H': return "+/- 3%";
        case 'J': return "+/- 5%";
        case 'K': return "+/- 10%";
        case 'M': return "+/- 20%";
        case 'N': return "+/- 30%";
        case 'P': return "+100%, -0%";
        case 'Z': return "+80%, -20%";
        case 'B': return "+/- 0.1 pF";
        case 'C': return "+/- 0.25 pF";
        case 'D': return "+/- 0.5 pF";
        default: return {};
    }
}

std::string InfoCapacitorsView::resultHTML(const std::string& digit1, const std::string& digit2,
                                           const std::string& multiplier, const std::string& letter) {
    const int d1 = intValue(digit1), d2 = intValue(digit2), m = intValue(multiplier);
    const Capacitance c = capacitance(d1, d2, m);
    const std::string tolerance = toleranceText(letter);
    if (!tolerance.empty())
        return format("Selected capacitor: <B>%d%d%d%@</B><BR/><B>Capacitance:</B><BR/>%@ pF<BR/>%@ nF<BR/>%@ uF"
                      "<BR/><B>Tolerance:</B> %@",
                      d1, d2, m, letter, c.pF, c.nF, c.uF, tolerance);
    return format("Selected capacitor: <B>%d%d%d%@</B><BR/><B>Capacitance:</B><BR/>%@ pF<BR/>%@ nF<BR/>%@ uF", d1,
                  d2, m, letter, c.pF, c.nF, c.uF);
}
