#include "decoders/InfoResistorsView.h"

#include "decoders/BandColor.h"
#include "platform/Format.h"

InfoResistorsView::InfoResistorsView(std::string nibName)
    : WheelsScreen(std::move(nibName),
                   {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4, &m_cArrayData5, &m_cArrayData6}) {
    registerOutlet("m_cResults", m_cResults);
}

const std::vector<std::vector<std::string>>& InfoResistorsView::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"none", "Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet"},
        {"none", "Silver", "Gold", "Brown", "Red"},
        {"none", "Brown", "Red", "Orange", "Yellow"},
    };
    return rows;
}

void InfoResistorsView::viewDidLoad() {
    m_cArrayData1 = wheels()[0];
    m_cArrayData2 = wheels()[1];
    m_cArrayData3 = wheels()[2];
    m_cArrayData4 = wheels()[3];
    m_cArrayData5 = wheels()[4];
    m_cArrayData6 = wheels()[5];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0, 0, 0);
}

std::unique_ptr<Label> InfoResistorsView::pickerViewViewForRowForComponentReusingView(PickerView*, int row,
                                                                                     int component, Label*) {
    return makeColorSwatch(rowsOfComponent(component), row);
}

void InfoResistorsView::ShowResults(int r0, int r1, int r2, int r3, int r4, int r5) {
    m_cResults.setText(resultText(r0, r1, r2, r3, r4, r5));
}

std::string InfoResistorsView::resultText(int r0, int r1, int r2, int r3, int r4, int r5) {
    if (r0 == -1) return "Resistance: colors are not correct";
    // The digits are placed around a decimal point or followed by zeros; the value is never computed in ohms.
    const int d1 = r0 + 1, d2 = r1;
    const bool threeDigits = r2 != 0;
    const int d3 = r2 - 1;
    const int n = threeDigits ? 100 * d1 + 10 * d2 + d3 : 10 * d1 + d2;
    std::string v, u = "Ohm";
    if (n <= 99) {
        switch (r3) {
            case 0: v = format("%d", n); break;
            case 1: v = format("%d", 10 * n); break;
            case 2: v = format("%d.%d", d1, d2), u = "KOhm"; break;
            case 3: v = format("%d%d", d1, d2), u = "KOhm"; break;
            case 4: v = format("%d%d0", d1, d2), u = "KOhm"; break;
            case 5: v = format("%d.%d", d1, d2), u = "MOhm"; break;
            case 6: v = format("%d%d", d1, d2), u = "MOhm"; break;
            case 7: v = format("%d%d0", d1, d2), u = "MOhm"; break;
            default: break;
        }
    } else {
        switch (r3) {
            case 0: v = format("%d", n); break;
            case 1: v = format("%d.%d%d", d1, d2, d3), u = "KOhm"; break;
            case 2: v = format("%d%d.%d", d1, d2, d3), u = "KOhm"; break;
            case 3: v = format("%d%d%d", d1, d2, d3), u = "KOhm"; break;
            case 4: v = format("%d.%d%d", d1, d2, d3), u = "MOhm"; break;
            case 5: v = format("%d%d.%d", d1, d2, d3), u = "MOhm"; break;
            case 6: v = format("%d%d%d", d1, d2, d3), u = "MOhm"; break;
            case 7: v = format("%d%d%d0", d1, d2, d3), u = "MOhm"; break;
            default: break;
        }
    }
    static const int tolerances[] = {20, 10, 5, 1, 2};
    static const int coefficients[] = {0, 100, 50, 15, 25};
    const int t = r4 >= 0 && r4 <= 4 ? tolerances[r4] : 20;
    if (r5 >= 1 && r5 <= 4) return format("Resistance: %@ %@ +-%d%%, %dppm", v, u, t, coefficients[r5]);
    return format("Resistance: %@ %@ +-%d%%", v, u, t);
}
