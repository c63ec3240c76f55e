#pragma once
#include <string>

#include "benchscreens/BenchScreen.h"
#include "platform/ui/Label.h"

/// Dividers and combinations over the chosen series: the two resistors of a voltage divider for an output
/// voltage (with an optional load and a range for their total), and the values that make a resistance alone, two
/// in series, two in parallel or three. Each part recomputes on every edit; a fault in one leaves the other.
class InfoDividerView : public BenchScreen {
public:
    explicit InfoDividerView(std::string nibName = "InfoDividerView");

    TextField m_cVin, m_cVout, m_cLoad, m_cMinTotal, m_cMaxTotal;
    TextField m_cTarget;
    Label m_cDivider;       ///< the best R1 and R2 with the output they give, or why there is none
    Label m_cAlternatives;  ///< up to four other dividers, one a line
    Label m_cCombination;   ///< single, series, parallel and three, one a line; or why there is none

    void ShowResults() override;

private:
    void showDivider();
    void showCombination();
};
