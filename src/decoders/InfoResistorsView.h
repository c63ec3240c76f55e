#pragma once
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"

/// Resistor colour code: six band wheels (digit, digit, optional third digit, multiplier, tolerance, optional
/// temperature coefficient) and one result line.
class InfoResistorsView : public ViewController, public PickerViewDataSource, public PickerViewDelegate {
public:
    explicit InfoResistorsView(std::string nibName = "InfoResistorsView");

    PickerView m_cPickerView;
    Label m_cResults;

    /// The colour names of a wheel's rows (component 0 to 5); empty for any other component.
    const std::vector<std::string>& rowsOfComponent(int component) const;

    int numberOfComponentsInPickerView(PickerView*) override { return 6; }
    int pickerViewNumberOfRowsInComponent(PickerView*, int component) override;
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int, int) override { return "1"; }
    std::unique_ptr<Label> pickerViewViewForRowForComponentReusingView(PickerView*, int row, int component,
                                                                      Label* reusing) override;
    void pickerViewDidSelectRowInComponent(PickerView* picker, int row, int component) override;

    /// Writes the result line for the six selected rows.
    void ShowResults(int r0, int r1, int r2, int r3, int r4, int r5);
    /// The result line for six rows, without touching the label.
    static std::string resultText(int r0, int r1, int r2, int r3, int r4, int r5);

protected:
    void viewDidLoad() override;

private:
    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4, m_cArrayData5,
        m_cArrayData6;
};
