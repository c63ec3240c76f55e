#pragma once
#include <string>
#include <vector>

#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"

/// What the wheel screens share: a picker whose wheels show lists of texts the screen holds, where every turn
/// hands all selected rows, in component order, to the screen's result. Each screen draws its own rows (titles
/// or colour swatches) and writes its own result.
class WheelsScreen : public ViewController, public PickerViewDataSource, public PickerViewDelegate {
public:
    PickerView m_cPickerView;

    /// The texts of a wheel's rows; empty for a component that does not exist.
    const std::vector<std::string>& rowsOfComponent(int component) const;
    /// The text at `row` of a component, or the empty text for a row that does not exist.
    std::string entry(int component, int row) const;

    int numberOfComponentsInPickerView(PickerView*) override { return static_cast<int>(wheels_.size()); }
    int pickerViewNumberOfRowsInComponent(PickerView*, int component) override;
    void pickerViewDidSelectRowInComponent(PickerView* picker, int row, int component) override;

protected:
    /// `wheels` point at the screen's row arrays, one per component; they are filled in `viewDidLoad`.
    WheelsScreen(std::string nibName, std::vector<const std::vector<std::string>*> wheels);
    /// Writes the result for the selected row of every wheel.
    virtual void showSelectedRows(const std::vector<int>& rows) = 0;

private:
    std::vector<const std::vector<std::string>*> wheels_;
};
