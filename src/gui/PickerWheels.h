#pragma once
#include <QListWidget>
#include <QWidget>
#include <vector>

class PickerView;

/// The picker's wheels side by side: one column per component, each a list whose current row is the wheel's
/// selection, turned to the middle of its column. Keyboard: Tab moves between wheels, the arrow keys turn the
/// focused wheel, typing a row's first letters (a colour's name, a code's digits) turns it to that row; a click
/// selects the row under the pointer. Each wheel is named by its header label (band1, band2 … in the page) and
/// each colour row by its colour, for screen readers and as a tooltip. With the property `across` (set in the
/// interface file) each wheel lays its rows side by side across the width, a row of choices that the Left and
/// Right keys turn.
class PickerWheels : public QWidget {
    Q_OBJECT
public:
    explicit PickerWheels(QWidget* parent = nullptr);

    /// Shows `model` and follows it; nullptr detaches.
    void bind(PickerView* model);
    /// The list showing component `c` (for tests and the screenshot script).
    QListWidget* wheel(int c) const;
    int wheelCount() const { return static_cast<int>(wheels_.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void syncSelection();
    /// Shares the width of an `across` wheel among its rows.
    static void fitAcross(QListWidget* list);

    PickerView* model_ = nullptr;
    std::vector<QListWidget*> wheels_;
    bool updating_ = false;
    bool pointerDown_ = false;  // a click on a wheel is under way
};
