#include "decoders/InfoResistorsView.h"

#include "decoders/BandColor.h"
#include "core/decoders/ResistorCode.h"

InfoResistorsView::InfoResistorsView(std::string nibName)
    : WheelsScreen(std::move(nibName),
                   {&m_cArrayData1, &m_cArrayData2, &m_cArrayData3, &m_cArrayData4, &m_cArrayData5, &m_cArrayData6}) {
    registerOutlet("m_cResults", m_cResults);
}

void InfoResistorsView::viewDidLoad() {
    const auto& wheels = ResistorCode::wheels();
    m_cArrayData1 = wheels[0];
    m_cArrayData2 = wheels[1];
    m_cArrayData3 = wheels[2];
    m_cArrayData4 = wheels[3];
    m_cArrayData5 = wheels[4];
    m_cArrayData6 = wheels[5];
    m_cPickerView.reloadAllComponents();
    ShowResults(0, 0, 0, 0, 0, 0);
}

std::unique_ptr<Label> InfoResistorsView::pickerViewViewForRowForComponentReusingView(PickerView*, int row,
                                                                                     int component, Label*) {
    return makeColorSwatch(rowsOfComponent(component), row);
}

void InfoResistorsView::ShowResults(int r0, int r1, int r2, int r3, int r4, int r5) {
    m_cResults.setText(ResistorCode::wheelText(r0, r1, r2, r3, r4, r5));
}
