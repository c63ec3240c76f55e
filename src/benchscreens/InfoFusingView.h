#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// Onderdonk's fusing current of a copper track both ways: the current that melts it in the time typed, and the
/// time the current typed takes.
class InfoFusingView : public PcbScreen {
public:
    explicit InfoFusingView(std::string nibName = "InfoFusingView");

    TextField m_cWidth, m_cThickness, m_cTime, m_cCurrent, m_cAmbient;
    Label m_cFuseCurrent, m_cFuseTime;

    void ShowResults() override;
};
