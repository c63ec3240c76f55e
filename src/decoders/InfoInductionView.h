#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decoders/WheelsScreen.h"
#include "platform/ui/Label.h"

/// Inductor colour code: wheels for two digits, a multiplier and a tolerance, drawn with the band colour
/// swatches; one result line in microhenries or millihenries.
class InfoInductionView : public WheelsScreen {
public:
    explicit InfoInductionView(std::string nibName = "InfoInductionView");

    Label m_cResults;

    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int, int) override { return "1"; }
    std::unique_ptr<Label> pickerViewViewForRowForComponentReusingView(PickerView*, int row, int component,
                                                                      Label* reusing) override;

    /// Writes the result line for the four selected rows.
    void ShowResults(int r0, int r1, int r2, int r3);

protected:
    void viewDidLoad() override;
    void showSelectedRows(const std::vector<int>& r) override { ShowResults(r[0], r[1], r[2], r[3]); }

private:
    std::vector<std::string> m_cArrayData1, m_cArrayData2, m_cArrayData3, m_cArrayData4;
};
