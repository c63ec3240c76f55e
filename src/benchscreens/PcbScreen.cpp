#include "benchscreens/PcbScreen.h"

#include <cstdio>

void PcbScreen::addChoice(const char* outlet, PickerView& picker, std::vector<std::vector<std::string>> wheels,
                          std::vector<int> opening) {
    picker.setDataSource(this);
    picker.setDelegate(this);
    registerOutlet(outlet, picker);
    choices_.push_back({&picker, std::move(wheels), std::move(opening)});
}

const PcbScreen::Choice* PcbScreen::choiceOf(const PickerView* picker) const {
    for (const Choice& c : choices_)
        if (c.picker == picker) return &c;
    return nullptr;
}

int PcbScreen::numberOfComponentsInPickerView(PickerView* picker) {
    const Choice* c = choiceOf(picker);
    return c ? static_cast<int>(c->wheels.size()) : BenchScreen::numberOfComponentsInPickerView(picker);
}

int PcbScreen::pickerViewNumberOfRowsInComponent(PickerView* picker, int component) {
    const Choice* c = choiceOf(picker);
    if (!c) return BenchScreen::pickerViewNumberOfRowsInComponent(picker, component);
    return component >= 0 && component < static_cast<int>(c->wheels.size())
               ? static_cast<int>(c->wheels[static_cast<size_t>(component)].size())
               : 0;
}

std::optional<std::string> PcbScreen::pickerViewTitleForRowForComponent(PickerView* picker, int row, int component) {
    const Choice* c = choiceOf(picker);
    if (!c) return BenchScreen::pickerViewTitleForRowForComponent(picker, row, component);
    if (component < 0 || component >= static_cast<int>(c->wheels.size())) return std::nullopt;
    const auto& titles = c->wheels[static_cast<size_t>(component)];
    if (row < 0 || row >= static_cast<int>(titles.size())) return std::nullopt;
    return titles[static_cast<size_t>(row)];
}

int PcbScreen::chosen(const PickerView& picker, int component) {
    const int row = picker.selectedRowInComponent(component);
    return row < 0 ? 0 : row;
}

void PcbScreen::viewDidLoad() {
    for (const Choice& c : choices_) {
        c.picker->reloadAllComponents();
        for (size_t i = 0; i < c.opening.size(); ++i) c.picker->selectRowInComponent(c.opening[i], static_cast<int>(i));
    }
    BenchScreen::viewDidLoad();
}

std::string PcbScreen::number(double value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*g", digits, value);
    return buf;
}
