#pragma once
#include <string>
#include <vector>

#include "decoders/WheelsScreen.h"
#include "platform/ui/Label.h"

/// Resistor colour code: six band wheels (digit, digit, optional third digit, multiplier, tolerance, optional
/// temperature coefficient) and one result line.
class InfoResistorsView : public WheelsScreen {
public:
    explicit InfoResistorsView(std::string nibName = "InfoResistorsView");

    Label m_cResults;

    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int, int) override { return "1"; }
    std::unique_ptr<Label> pickerViewViewForRowForComponentReusingView(PickerView*, int row, int component,
                                                                      Label* reusing) override;

    /// Writes the result line for the six selected rows.
    void ShowResults(int r0, int r1, int r2, int r3, int r4, int r5);

protected:
    void viewDidLoad() override;
    void showSelectedRows(const std::vector<int>& r) override { ShowResults(r[0], r[1], r[2], r[3], r[4], r[5]); }

private:
    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4, m_cArrayData5,
        m_cArrayData6;
};
