#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Track width both ways (IPC-2221): the width for the current typed and the current for the width typed, each
/// on its own line, and the track's resistance, drop and loss over the length at the current.
class InfoTrackWidthView : public PcbScreen {
public:
    explicit InfoTrackWidthView(std::string nibName = "InfoTrackWidthView");

    TextField m_cCurrent, m_cWidth, m_cRise, m_cThickness, m_cLength;
    PickerView m_cLayer;  ///< outer or inner layer
    Label m_cWidthResult, m_cCurrentResult, m_cLoss;

    void ShowResults() override;
};
