#pragma once
#include <optional>
#include <string>
#include <vector>

#include "decoders/WheelsScreen.h"
#include "platform/ui/WebView.h"

/// Capacitor code: wheels for the first digit, second digit, multiplier digit and tolerance letter of a code such
/// as 474K; the result is an HTML fragment with the capacitance in pF, nF and uF and the tolerance.
class InfoCapacitorsView : public WheelsScreen {
public:
    explicit InfoCapacitorsView(std::string nibName = "InfoCapacitorsView");

    WebView m_cResultsHTMLView;

    /// Rows show their one-character texts.
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int row, int component) override;

    /// Loads the fragment for the four selected rows into the web view.
    void ShowResults(int r0, int r1, int r2, int r3);

protected:
    void viewDidLoad() override;
    void showSelectedRows(const std::vector<int>& r) override { ShowResults(r[0], r[1], r[2], r[3]); }

private:
    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4;
};
