#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Pi, T and bridged-T pads and the resistive splitter: exact resistors, the nearest values of the series
/// chosen, and the attenuation and match those give.
class InfoAttenuatorView : public PcbScreen {
public:
    explicit InfoAttenuatorView(std::string nibName = "InfoAttenuatorView");

    TextField m_cDb, m_cZin, m_cZout;
    PickerView m_cChoice;  ///< the pad's type, and the series
    Label m_cExact, m_cNearest, m_cMatch;

    void ShowResults() override;
};
