#include "decoders/InfoCapacitorsView.h"

#include "core/decoders/CapacitorCode.h"

InfoCapacitorsView::InfoCapacitorsView(std::string nibName)
    : WheelsScreen(std::move(nibName), {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4}) {
    registerOutlet("m_cResultsHTMLView", m_cResultsHTMLView);
}

void InfoCapacitorsView::viewDidLoad() {
    const auto& wheels = CapacitorCode::wheels();
    m_cArrayData1 = wheels[0];
    m_cArrayData2 = wheels[1];
    m_cArrayData3 = wheels[2];
    m_cArrayData4 = wheels[3];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0);
}

std::optional<std::string> InfoCapacitorsView::pickerViewTitleForRowForComponent(PickerView*, int row,
                                                                                 int component) {
    return entry(component, row);
}

void InfoCapacitorsView::ShowResults(int r0, int r1, int r2, int r3) {
    m_cResultsHTMLView.loadHTMLString(CapacitorCode::wheelHtml(entry(0, r0), entry(1, r1), entry(2, r2), entry(3, r3)));
}
