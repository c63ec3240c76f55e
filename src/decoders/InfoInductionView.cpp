#include "decoders/InfoInductionView.h"

#include "decoders/BandColor.h"
#include "platform/Format.h"

InfoInductionView::InfoInductionView(std::string nibName)
    : WheelsScreen(std::move(nibName), {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4}) {
    registerOutlet("m_cResults", m_cResults);
}

const std::vector<std::vector<std::string>>& InfoInductionView::wheels() {
    static const std::vector<std::vector<std::string>> rows = {
        {"Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Green", "Blue", "Violet", "Gray", "White"},
        {"Black", "Brown", "Red", "Orange", "Yellow", "Gold", "Silver"},
        {"none", "Black", "Gold", "Silver"},
    };
    return rows;
}

void InfoInductionView::viewDidLoad() {
    m_cArrayData1 = wheels()[0];
    m_cArrayData2 = wheels()[1];
    m_cArrayData3 = wheels()[2];
    m_cArrayData4 = wheels()[3];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0);
}

std::unique_ptr<Label> InfoInductionView::pickerViewViewForRowForComponentReusingView(PickerView*, int row,
                                                                                     int component, Label*) {
    return makeColorSwatch(rowsOfComponent(component), row);
}

void InfoInductionView::ShowResults(int r0, int r1, int r2, int r3) { m_cResults.setText(resultText(r0, r1, r2, r3)); }

std::string InfoInductionView::resultText(int r0, int r1, int r2, int r3) {
    const int d1 = r0 + 1, d2 = r1;
    const int n = 10 * d1 + d2;
    if (n == 0) return "Inductance: 0 uH";
    // The picked digits keep their two significant figures; only x0.01 needs a computed value.
    std::string v, u = "mH";
    switch (r2) {
        case 0: v = format("%d", n), u = "uH"; break;
        case 1: v = format("%d", 10 * n), u = "uH"; break;
        case 2: v = format("%d.%d", d1, d2); break;
        case 3: v = format("%d", n); break;
        case 4: v = format("%d%d0", d1, d2); break;
        case 5: v = format("%d.%d", d1, d2), u = "uH"; break;
        case 6: v = format("%.3f", static_cast<double>(n) * 0.01), u = "uH"; break;
        default: break;
    }
    static const int tolerances[] = {20, 20, 5, 10};
    const int t = r3 >= 0 && r3 <= 3 ? tolerances[r3] : 20;
    return format("Inductance: %@ %@ +-%d%%", v, u, t);
}
