#include "benchscreens/InfoSpacingView.h"

#include "core/bench/Quantity.h"
#include "core/pcb/ConductorSpacing.h"

InfoSpacingView::InfoSpacingView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cVoltage", &m_cVoltage, "230"}});
    const auto& names = ConductorSpacing::classNames();
    addChoice("m_cClass", m_cClass, {std::vector<std::string>(names.begin(), names.end())}, {1});
    registerOutlet("m_cSpacing", m_cSpacing);
    registerOutlet("m_cClassText", m_cClassText);
}

void InfoSpacingView::ShowResults() {
    const int index = chosen(m_cClass);
    m_cClassText.setText(std::string(ConductorSpacing::classNames()[static_cast<size_t>(index)]) + ": " +
                         ConductorSpacing::classDescriptions()[static_cast<size_t>(index)]);
    std::string error;
    auto volts = valueOf(m_cVoltage, Unit::Volt, "Voltage", &error);
    auto s = volts ? ConductorSpacing::spacing(*volts, index, &error) : std::nullopt;
    m_cSpacing.setText(s ? "Spacing " + engineering(*s, Unit::Metre) + " at " + engineering(*volts, Unit::Volt) : error);
}
