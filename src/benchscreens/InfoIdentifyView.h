#pragma once
#include <string>
#include <vector>

#include "benchscreens/BenchScreen.h"
#include "platform/ui/Label.h"

/// Identify: one marking typed in a field (colour bands, an SMD, capacitor or inductor code, a value) and every
/// reading of it as you type, the most likely first.
class InfoIdentifyView : public BenchScreen {
public:
    explicit InfoIdentifyView(std::string nibName = "InfoIdentifyView");

    TextField m_cMarking;
    Label m_cBest;      ///< the most likely reading: its kind, then its value; or what can be typed
    Label m_cBands;     ///< colour bands read as the most likely reading reads them, drawn as the part
    Label m_cReadings;  ///< the other readings, one a line: "SMD code: 474 kΩ"

    void ShowResults() override;

private:
    /// Draws the typed colours when the most likely reading (of `kind`) is of bands, in its direction.
    void showBands(const std::string& kind);
};
