#include "benchscreens/InfoImpedanceView.h"

#include "benchscreens/CopperField.h"
#include "benchscreens/ImpedanceLines.h"

namespace {

using Kind = TransmissionLine::Kind;
constexpr Kind kKinds[] = {Kind::Microstrip, Kind::Stripline, Kind::Cpw, Kind::Gcpw, Kind::CoupledMicrostrip};

}  // namespace

InfoImpedanceView::InfoImpedanceView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cWidth", &m_cWidth, "3mm"},
               {"m_cHeight", &m_cHeight, "1.6mm"},
               {"m_cThickness", &m_cThickness, "35um"},
               {"m_cEr", &m_cEr, "4.4"},
               {"m_cGap", &m_cGap, "0.2mm"},
               {"m_cWanted", &m_cWanted, "", "optional"}});
    addChoice("m_cKind", m_cKind,
              {{"Microstrip", "Stripline", "Coplanar waveguide", "Grounded coplanar", "Coupled microstrip"}}, {0});
    registerOutlet("m_cZ0", m_cZ0);
    registerOutlet("m_cDelay", m_cDelay);
    registerOutlet("m_cSynthesis", m_cSynthesis);
}

void InfoImpedanceView::ShowResults() {
    const Kind kind = kKinds[chosen(m_cKind)];
    TransmissionLine::Geometry g;
    std::string error;
    auto width = valueOf(m_cWidth, Unit::Metre, "Width", &error);
    auto height = width ? valueOf(m_cHeight, Unit::Metre, "Height", &error) : std::nullopt;
    auto thickness = height ? copperThickness(m_cThickness, &error) : std::nullopt;
    auto er = thickness ? valueOf(m_cEr, Unit::None, "εr", &error) : std::nullopt;
    const bool gapped = kind == Kind::Cpw || kind == Kind::Gcpw || kind == Kind::CoupledMicrostrip;
    auto gap = er && gapped ? valueOf(m_cGap, Unit::Metre, "Gap", &error) : std::optional<double>(0);
    auto wanted = er && gap ? valueOf(m_cWanted, Unit::Ohm, "Wanted Z0", &error, true) : std::nullopt;
    if (!er || !gap || !error.empty()) {
        m_cZ0.setText(error);
        m_cDelay.setText("");
        m_cSynthesis.setText("");
        return;
    }
    g.width = *width;
    g.height = *height;
    g.thickness = *thickness;
    g.er = *er;
    g.gap = *gap;
    const auto lines = ImpedanceLines::of(kind, g, wanted);
    m_cZ0.setText(lines.impedance);
    m_cDelay.setText(lines.delay);
    m_cSynthesis.setText(lines.synthesis);
}
