#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"

/// Inductor colour code: wheels for two digits, a multiplier and a tolerance, drawn with the band colour
/// swatches; one result line in microhenries or millihenries.
class InfoInductionView : public ViewController, public PickerViewDataSource, public PickerViewDelegate {
public:
    explicit InfoInductionView(std::string nibName = "InfoInductionView");

    PickerView m_cPickerView;
    Label m_cResults;

    /// The colour names of a wheel's rows (component 0 to 3); empty for any other component.
    const std::vector<std::string>& rowsOfComponent(int component) const;

    int numberOfComponentsInPickerView(PickerView*) override { return 4; }
    int pickerViewNumberOfRowsInComponent(PickerView*, int component) override;
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int, int) override { return "1"; }
    std::unique_ptr<Label> pickerViewViewForRowForComponentReusingView(PickerView*, int row, int component,
                                                                      Label* reusing) override;
    void pickerViewDidSelectRowInComponent(PickerView* picker, int row, int component) override;

    /// Writes the result line for the four selected rows.
    void ShowResults(int r0, int r1, int r2, int r3);
    /// The result line for four rows, without touching the label.
    static std::string resultText(int r0, int r1, int r2, int r3);

protected:
    void viewDidLoad() override;

private:
    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4;
};
