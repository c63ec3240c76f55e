#include "benchscreens/InfoCableView.h"

#include "core/bench/Quantity.h"
#include "core/pcb/CableSize.h"

namespace {

std::string squareMillimetres(double area) { return PcbScreen::number(area * 1e6) + " mm²"; }

}  // namespace

InfoCableView::InfoCableView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cAwg", &m_cAwg, "14", "or the area"},
               {"m_cArea", &m_cArea, "", "mm²"},
               {"m_cLength", &m_cLength, "10"},
               {"m_cCurrent", &m_cCurrent, "5"},
               {"m_cMaxDrop", &m_cMaxDrop, "0.5", "optional"}});
    addChoice("m_cMaterial", m_cMaterial, {{"Copper", "Aluminium"}}, {0});
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cEquivalent", m_cEquivalent);
    registerOutlet("m_cSmallest", m_cSmallest);
}

void InfoCableView::ShowResults() {
    CableSize::Query q;
    q.material = chosen(m_cMaterial) == 0 ? &conductor::kCopper : &conductor::kAluminium;
    std::string error;
    std::optional<CableSize::Result> r;
    std::optional<double> area;
    if (m_cAwg.text().empty()) {
        area = valueOf(m_cArea, Unit::None, "Area", &error);
        if (area) *area *= 1e-6;
    } else if (const auto gauge = CableSize::awgNamed(m_cAwg.text())) {
        area = CableSize::awgArea(*gauge);
    } else {
        error = "AWG: '" + m_cAwg.text() + "' is not a gauge from 0000 to 40";
    }
    auto length = area ? valueOf(m_cLength, Unit::Metre, "Length", &error) : std::nullopt;
    auto current = length ? valueOf(m_cCurrent, Unit::Ampere, "Current", &error) : std::nullopt;
    if (current) q.maxDrop = valueOf(m_cMaxDrop, Unit::Volt, "Drop limit", &error, true);
    if (current && error.empty()) {
        q.area = *area;
        q.length = *length;
        q.current = *current;
        r = CableSize::compute(q, &error);
    }
    if (!r) {
        m_cResistance.setText(error);
        m_cEquivalent.setText("");
        m_cSmallest.setText("");
        return;
    }
    m_cResistance.setText("Loop " + engineering(r->resistance, Unit::Ohm) + ", drop " + engineering(r->drop, Unit::Volt) +
                          ", loss " + engineering(r->loss, Unit::Watt) + ", " +
                          PcbScreen::number(r->currentDensity * 1e-6) + " A/mm²");
    m_cEquivalent.setText(squareMillimetres(r->area) + ": nearest AWG " + CableSize::awgName(r->nearestAwg) +
                          ", metric " + squareMillimetres(r->nearestMetric));
    m_cSmallest.setText(!q.maxDrop ? ""
                                   : "Within " + engineering(*q.maxDrop, Unit::Volt) + ": AWG " +
                                         (r->smallestAwg ? CableSize::awgName(*r->smallestAwg) : "none") + ", " +
                                         (r->smallestMetric ? squareMillimetres(*r->smallestMetric) : "no metric size"));
}
