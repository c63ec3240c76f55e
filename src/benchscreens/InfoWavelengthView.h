#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// A frequency's wavelength in a medium, its half and quarter wave, and its period.
class InfoWavelengthView : public PcbScreen {
public:
    explicit InfoWavelengthView(std::string nibName = "InfoWavelengthView");

    TextField m_cFrequency, m_cVelocity;
    Label m_cWavelength, m_cFractions, m_cPeriod;

    void ShowResults() override;
};
