#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

class PickerView;

/// Where a picker gets its wheels and rows (the screen).
class PickerViewDataSource {
public:
    virtual ~PickerViewDataSource() = default;
    virtual int numberOfComponentsInPickerView(PickerView* picker) = 0;
    virtual int pickerViewNumberOfRowsInComponent(PickerView* picker, int component) = 0;
};

/// What a picker tells and asks its delegate (the screen). A row is drawn with the view operation when the
/// delegate gives a view, else with its title.
class PickerViewDelegate {
public:
    virtual ~PickerViewDelegate() = default;
    virtual std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int, int) { return std::nullopt; }
    /// A new view for the row; `reusing` is a view offered for reuse, which may be ignored.
    virtual std::unique_ptr<Label> pickerViewViewForRowForComponentReusingView(PickerView*, int, int, Label*) {
        return nullptr;
    }
    virtual void pickerViewDidSelectRowInComponent(PickerView*, int /*row*/, int /*component*/) {}
};

/// A set of wheels, each showing rows and one selected row. Every wheel starts on row 0.
class PickerView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    void setDataSource(PickerViewDataSource* ds) { dataSource_ = ds; }
    void setDelegate(PickerViewDelegate* d) { delegate_ = d; }
    PickerViewDataSource* dataSource() const { return dataSource_; }
    PickerViewDelegate* delegate() const { return delegate_; }

    int numberOfComponents() const;
    int numberOfRowsInComponent(int component) const;
    /// The selected row, or -1 for a component that does not exist or has no rows.
    int selectedRowInComponent(int component) const;
    /// Selects a row by code: no delegate message. Rows out of range are clamped.
    void selectRowInComponent(int row, int component, bool animated = false);
    /// The user turned a wheel to `row`: selects it, then sends `pickerViewDidSelectRowInComponent`.
    void userSelectRow(int row, int component);
    /// Asks the data source again (row counts may have changed); selections are kept where still valid.
    void reloadAllComponents();

    /// For the front-end: the title of a row, or nothing.
    std::optional<std::string> titleForRow(int row, int component);
    /// For the front-end: the view of a row, or nullptr.
    std::unique_ptr<Label> viewForRow(int row, int component);

private:
    void syncSelection() const;

    PickerViewDataSource* dataSource_ = nullptr;
    PickerViewDelegate* delegate_ = nullptr;
    mutable std::vector<int> selected_;
    mutable bool synced_ = false;
};
