#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Two metals from the galvanic table: their anodic index difference and where they may touch.
class InfoGalvanicView : public PcbScreen {
public:
    explicit InfoGalvanicView(std::string nibName = "InfoGalvanicView");

    PickerView m_cMetals;  ///< one wheel per metal
    Label m_cDifference, m_cVerdict;

    void ShowResults() override;
};
