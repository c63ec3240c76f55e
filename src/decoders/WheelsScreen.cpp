#include "decoders/WheelsScreen.h"

WheelsScreen::WheelsScreen(std::string nibName, std::vector<const std::vector<std::string>*> wheels)
    : ViewController(std::move(nibName)), wheels_(std::move(wheels)) {
    m_cPickerView.setDataSource(this);
    m_cPickerView.setDelegate(this);
    registerOutlet("m_cPickerView", m_cPickerView);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

const std::vector<std::string>& WheelsScreen::rowsOfComponent(int component) const {
    static const std::vector<std::string> none;
    return component >= 0 && component < static_cast<int>(wheels_.size()) ? *wheels_[static_cast<size_t>(component)]
                                                                            : none;
}

std::string WheelsScreen::entry(int component, int row) const {
    const auto& rows = rowsOfComponent(component);
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : std::string();
}

int WheelsScreen::pickerViewNumberOfRowsInComponent(PickerView*, int component) {
    return static_cast<int>(rowsOfComponent(component).size());
}

void WheelsScreen::pickerViewDidSelectRowInComponent(PickerView* picker, int, int) {
    std::vector<int> rows;
    for (int c = 0; c < static_cast<int>(wheels_.size()); ++c) rows.push_back(picker->selectedRowInComponent(c));
    showSelectedRows(rows);
}
