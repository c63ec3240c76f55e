#include "benchscreens/InfoCableLineView.h"

#include "benchscreens/ImpedanceLines.h"

InfoCableLineView::InfoCableLineView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cOuter", &m_cOuter, "2.95mm"},
               {"m_cInner", &m_cInner, "0.81mm"},
               {"m_cEr", &m_cEr, "2.25"},
               {"m_cWanted", &m_cWanted, "", "optional"}});
    addChoice("m_cKind", m_cKind, {{"Coax", "Twisted pair"}}, {0});
    registerOutlet("m_cZ0", m_cZ0);
    registerOutlet("m_cDelay", m_cDelay);
    registerOutlet("m_cSynthesis", m_cSynthesis);
}

void InfoCableLineView::ShowResults() {
    const bool coax = chosen(m_cKind) == 0;
    std::string error;
    auto outer = valueOf(m_cOuter, Unit::Metre, coax ? "Shield" : "Spacing", &error);
    auto inner = outer ? valueOf(m_cInner, Unit::Metre, coax ? "Conductor" : "Wire", &error) : std::nullopt;
    auto er = inner ? valueOf(m_cEr, Unit::None, "εr", &error) : std::nullopt;
    auto wanted = er ? valueOf(m_cWanted, Unit::Ohm, "Wanted Z0", &error, true) : std::nullopt;
    if (!er || !error.empty()) {
        m_cZ0.setText(error);
        m_cDelay.setText("");
        m_cSynthesis.setText("");
        return;
    }
    TransmissionLine::Geometry g;
    g.er = *er;
    (coax ? g.outer : g.spacing) = *outer;
    (coax ? g.inner : g.diameter) = *inner;
    const auto lines =
        ImpedanceLines::of(coax ? TransmissionLine::Kind::Coax : TransmissionLine::Kind::TwistedPair, g, wanted);
    m_cZ0.setText(lines.impedance);
    m_cDelay.setText(lines.delay);
    m_cSynthesis.setText(lines.synthesis);
}
