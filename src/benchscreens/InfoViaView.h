#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// A plated via: resistance (and drop and loss at the current, when one is typed), the current for the rise,
/// thermal resistance, capacitance and inductance.
class InfoViaView : public PcbScreen {
public:
    explicit InfoViaView(std::string nibName = "InfoViaView");

    TextField m_cHole, m_cPlating, m_cLength, m_cPad, m_cClearance, m_cEr, m_cRise, m_cCurrent;
    Label m_cResistance, m_cCurrentResult, m_cThermal, m_cReactance;

    void ShowResults() override;
};
