#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Board lines: microstrip, stripline, coplanar waveguide with and without ground, coupled microstrip; the
/// impedance of the geometry typed and the width for a wanted impedance.
class InfoImpedanceView : public PcbScreen {
public:
    explicit InfoImpedanceView(std::string nibName = "InfoImpedanceView");

    TextField m_cWidth, m_cHeight, m_cThickness, m_cEr, m_cGap, m_cWanted;
    PickerView m_cKind;
    Label m_cZ0, m_cDelay, m_cSynthesis;

    void ShowResults() override;
};
