#include "platform/ui/PickerView.h"

#include <algorithm>

int PickerView::numberOfComponents() const {
    return dataSource_ ? std::max(0, dataSource_->numberOfComponentsInPickerView(const_cast<PickerView*>(this))) : 0;
}

int PickerView::numberOfRowsInComponent(int component) const {
    if (!dataSource_ || component < 0 || component >= numberOfComponents()) return 0;
    return std::max(0, dataSource_->pickerViewNumberOfRowsInComponent(const_cast<PickerView*>(this), component));
}

void PickerView::syncSelection() const {
    if (synced_) return;
    synced_ = true;
    int n = numberOfComponents();
    selected_.resize(static_cast<size_t>(n), 0);
    for (int c = 0; c < n; ++c) {
        int rows = numberOfRowsInComponent(c);
        int& s = selected_[static_cast<size_t>(c)];
        s = rows == 0 ? -1 : std::clamp(s < 0 ? 0 : s, 0, rows - 1);
    }
}

int PickerView::selectedRowInComponent(int component) const {
    syncSelection();
    if (component < 0 || component >= static_cast<int>(selected_.size())) return -1;
    return selected_[static_cast<size_t>(component)];
}

void PickerView::selectRowInComponent(int row, int component, bool) {
    syncSelection();
    if (component < 0 || component >= static_cast<int>(selected_.size())) return;
    int rows = numberOfRowsInComponent(component);
    selected_[static_cast<size_t>(component)] = rows == 0 ? -1 : std::clamp(row, 0, rows - 1);
    changed();
}

void PickerView::userSelectRow(int row, int component) {
    selectRowInComponent(row, component);
    if (delegate_ && component >= 0 && component < static_cast<int>(selected_.size()))
        delegate_->pickerViewDidSelectRowInComponent(this, selected_[static_cast<size_t>(component)], component);
}

void PickerView::reloadAllComponents() {
    synced_ = false;
    syncSelection();
    changed();
}

std::optional<std::string> PickerView::titleForRow(int row, int component) {
    return delegate_ ? delegate_->pickerViewTitleForRowForComponent(this, row, component) : std::nullopt;
}

std::unique_ptr<Label> PickerView::viewForRow(int row, int component) {
    return delegate_ ? delegate_->pickerViewViewForRowForComponentReusingView(this, row, component, nullptr) : nullptr;
}
