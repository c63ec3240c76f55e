#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Coax and twisted pair: the impedance of the diameters typed, and the conductor's diameter for a wanted one.
class InfoCableLineView : public PcbScreen {
public:
    explicit InfoCableLineView(std::string nibName = "InfoCableLineView");

    TextField m_cOuter, m_cInner, m_cEr, m_cWanted;
    PickerView m_cKind;  ///< coax or twisted pair
    Label m_cZ0, m_cDelay, m_cSynthesis;

    void ShowResults() override;
};
