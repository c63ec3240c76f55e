#pragma once
#include "benchscreens/PcbScreen.h"
#include "platform/ui/Label.h"

/// A cable by AWG or mm²: loop resistance, drop, loss and current density; its size in the other system; the
/// smallest sizes within a drop limit.
class InfoCableView : public PcbScreen {
public:
    explicit InfoCableView(std::string nibName = "InfoCableView");

    TextField m_cAwg, m_cArea, m_cLength, m_cCurrent, m_cMaxDrop;
    PickerView m_cMaterial;  ///< copper or aluminium
    Label m_cResistance, m_cEquivalent, m_cSmallest;

    void ShowResults() override;
};
