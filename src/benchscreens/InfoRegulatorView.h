#pragma once
#include <string>

#include "benchscreens/BenchScreen.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

/// The adjustable regulator: the R2 that sets an output voltage, Vout = Vref · (1 + R2/R1) + Iadj · R2, exact and
/// as the nearest value of the chosen series, with the output that value gives.
class InfoRegulatorView : public BenchScreen {
public:
    explicit InfoRegulatorView(std::string nibName = "InfoRegulatorView");

    TextField m_cVout, m_cR1, m_cVref, m_cIadj;
    Label m_cResult;         ///< the series R2 and the output it gives, or why there is none
    Label m_cExact;          ///< the exact R2
    ImageView m_cSchematic;  ///< where R1 and R2 sit

    void ShowResults() override;
};
