#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// IPC-2221's least conductor spacing for the voltage typed in the class chosen.
class InfoSpacingView : public PcbScreen {
public:
    explicit InfoSpacingView(std::string nibName = "InfoSpacingView");

    TextField m_cVoltage;
    PickerView m_cClass;  ///< B1 … A7
    Label m_cSpacing, m_cClassText;

    void ShowResults() override;
};
