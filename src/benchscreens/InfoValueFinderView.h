#pragma once
#include <string>
#include <vector>

#include "benchscreens/BenchScreen.h"
#include "platform/ui/Label.h"

/// The value finder: a value typed as engineers write it, the values of the chosen series around it, and the
/// markings of the nearest one: colour bands drawn on a resistor body, SMD codes, the capacitor code or an
/// inductor's bands. The series sets the tolerance the markings carry (E12 10 %, E24 5 %, E96 1 % …).
class InfoValueFinderView : public BenchScreen {
public:
    /// Opens with `value` in the field (another tool's result, for its series and markings).
    explicit InfoValueFinderView(std::string nibName = "InfoValueFinderView", std::string value = "4k7");

    TextField m_cValue;
    Label m_cNearest;    ///< the nearest series value and its error, the ones below and above; or why none
    Label m_cMarkingOf;  ///< which value the markings below are of
    Label m_cBands;      ///< the band colours, left to right, blank-separated: drawn as the part's body
    Label m_cBandNames;  ///< the same colours in words with the tolerance, or why the bands cannot show it
    Label m_cCodes;      ///< SMD codes or the capacitor code

    void ShowResults() override;

    /// The tolerance in percent that parts of `series` are sold with: E3/E6 20, E12 10, E24 5, E48 2, E96 1,
    /// E192 0.5.
    static double toleranceOf(const ESeries& series);

private:
    void showMarkings(double value, Unit unit);
    void showBands(const std::vector<std::string>& colours, const std::string& words);
};
