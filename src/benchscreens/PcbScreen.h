#pragma once
#include <string>
#include <vector>

#include "benchscreens/BenchScreen.h"

/// What the board and RF screens share beyond the bench screens': pickers of fixed choices (a layer, a line,
/// a class of board, two metals), one wheel per list of titles.
class PcbScreen : public BenchScreen {
public:
    int numberOfComponentsInPickerView(PickerView* picker) override;
    int pickerViewNumberOfRowsInComponent(PickerView* picker, int component) override;
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView* picker, int row, int component) override;

protected:
    explicit PcbScreen(std::string nibName, bool withSeries = false) : BenchScreen(std::move(nibName), withSeries) {}
    /// Registers `picker` as `outlet`, with a wheel per list of titles, each opening on its row in `opening`.
    void addChoice(const char* outlet, PickerView& picker, std::vector<std::vector<std::string>> wheels,
                   std::vector<int> opening);
    /// The row chosen on wheel `component` of `picker`.
    static int chosen(const PickerView& picker, int component = 0);
    void viewDidLoad() override;

public:
    /// `digits` significant digits without a unit: "3.3", "0.0123".
    static std::string number(double value, int digits = 4);
private:
    struct Choice {
        PickerView* picker;
        std::vector<std::vector<std::string>> wheels;
        std::vector<int> opening;
    };
    const Choice* choiceOf(const PickerView* picker) const;
    std::vector<Choice> choices_;
};
