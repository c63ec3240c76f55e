#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"

/// Capacitor code: wheels for the first digit, second digit, multiplier digit and tolerance letter of a code such
/// as 474K; the result is an HTML fragment with the capacitance in pF, nF and uF and the tolerance.
class InfoCapacitorsView : public ViewController, public PickerViewDataSource, public PickerViewDelegate {
public:
    explicit InfoCapacitorsView(std::string nibName = "InfoCapacitorsView");

    PickerView m_cPickerView;
    WebView m_cResultsHTMLView;

    /// The one-character texts of a wheel's rows (component 0 to 3); empty for any other component.
    const std::vector<std::string>& rowsOfComponent(int component) const;

    int numberOfComponentsInPickerView(PickerView*) override { return 4; }
    int pickerViewNumberOfRowsInComponent(PickerView*, int component) override;
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int row, int component) override;
    void pickerViewDidSelectRowInComponent(PickerView* picker, int row, int component) override;

    /// Loads the fragment for the four selected rows into the web view.
    void ShowResults(int r0, int r1, int r2, int r3);
    /// The fragment for the digit texts and letter as picked ("4", "7", "4", "K"); a multiplier digit outside
    /// 9 and 0 to 5 gives empty capacitance texts, a letter outside the table no tolerance line.
    static std::string resultHTML(const std::string& digit1, const std::string& digit2, const std::string& multiplier,
                                  const std::string& letter);
    /// The tolerance text for the first character of `letter`, or the empty text when it has none.
    static std::string toleranceText(const std::string& letter);

protected:
    void viewDidLoad() override;

private:
    /// The text at `row` of a component, or the empty text for a row that does not exist.
    std::string entry(int component, int row) const;

    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4;
};
