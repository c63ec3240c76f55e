#include "decoders/InfoInductionView.h"

#include "decoders/BandColor.h"
#include "core/decoders/InductorCode.h"

InfoInductionView::InfoInductionView(std::string nibName)
    : WheelsScreen(std::move(nibName), {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4}) {
    registerOutlet("m_cResults", m_cResults);
}

void InfoInductionView::viewDidLoad() {
    const auto& wheels = InductorCode::wheels();
    m_cArrayData1 = wheels[0];
    m_cArrayData2 = wheels[1];
    m_cArrayData3 = wheels[2];
    m_cArrayData4 = wheels[3];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0);
}

std::unique_ptr<Label> InfoInductionView::pickerViewViewForRowForComponentReusingView(PickerView*, int row,
                                                                                     int component, Label*) {
    return makeColorSwatch(rowsOfComponent(component), row);
}

void InfoInductionView::ShowResults(int r0, int r1, int r2, int r3) { m_cResults.setText(InductorCode::wheelText(r0, r1, r2, r3)); }
