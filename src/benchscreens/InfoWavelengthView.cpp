#include "benchscreens/InfoWavelengthView.h"

#include "core/pcb/SiUnit.h"
#include "core/pcb/Wavelength.h"

InfoWavelengthView::InfoWavelengthView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cFrequency", &m_cFrequency, "100MHz"}, {"m_cVelocity", &m_cVelocity, "1"}});
    registerOutlet("m_cWavelength", m_cWavelength);
    registerOutlet("m_cFractions", m_cFractions);
    registerOutlet("m_cPeriod", m_cPeriod);
}

void InfoWavelengthView::ShowResults() {
    std::string error;
    auto f = measureOf(m_cFrequency, SiUnit::Hertz, "Frequency", &error);
    auto vf = f ? valueOf(m_cVelocity, Unit::None, "Velocity factor", &error) : std::nullopt;
    auto r = vf ? Wavelength::compute(*f, *vf, &error) : std::nullopt;
    m_cWavelength.setText(r ? "λ " + formatMeasure(r->wavelength, SiUnit::Metre) : error);
    m_cFractions.setText(r ? "λ/2 " + formatMeasure(r->half, SiUnit::Metre) + ", λ/4 " + formatMeasure(r->quarter, SiUnit::Metre)
                           : "");
    m_cPeriod.setText(r ? "Period " + formatMeasure(r->period, SiUnit::Second) : "");
}
