#include "benchscreens/InfoWavelengthView.h"

#include "core/bench/Quantity.h"
#include "core/pcb/Wavelength.h"

InfoWavelengthView::InfoWavelengthView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cFrequency", &m_cFrequency, "100MHz"}, {"m_cVelocity", &m_cVelocity, "1"}});
    registerOutlet("m_cWavelength", m_cWavelength);
    registerOutlet("m_cFractions", m_cFractions);
    registerOutlet("m_cPeriod", m_cPeriod);
}

void InfoWavelengthView::ShowResults() {
    std::string error;
    auto f = valueOf(m_cFrequency, Unit::Hertz, "Frequency", &error);
    auto vf = f ? valueOf(m_cVelocity, Unit::None, "Velocity factor", &error) : std::nullopt;
    auto r = vf ? Wavelength::compute(*f, *vf, &error) : std::nullopt;
    m_cWavelength.setText(r ? "λ " + engineering(r->wavelength, Unit::Metre) : error);
    m_cFractions.setText(r ? "λ/2 " + engineering(r->half, Unit::Metre) + ", λ/4 " + engineering(r->quarter, Unit::Metre)
                           : "");
    m_cPeriod.setText(r ? "Period " + engineering(r->period, Unit::Second) : "");
}
