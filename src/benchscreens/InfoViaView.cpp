#include "benchscreens/InfoViaView.h"

#include "core/bench/Quantity.h"
#include "core/pcb/Via.h"

InfoViaView::InfoViaView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cHole", &m_cHole, "0.3mm"},
               {"m_cPlating", &m_cPlating, "25um"},
               {"m_cLength", &m_cLength, "1.6mm"},
               {"m_cPad", &m_cPad, "0.6mm"},
               {"m_cClearance", &m_cClearance, "1mm"},
               {"m_cEr", &m_cEr, "4.4"},
               {"m_cRise", &m_cRise, "10"},
               {"m_cCurrent", &m_cCurrent, "", "optional"}});
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cCurrentResult", m_cCurrentResult);
    registerOutlet("m_cThermal", m_cThermal);
    registerOutlet("m_cReactance", m_cReactance);
}

void InfoViaView::ShowResults() {
    Via::Query q;
    const struct {
        const TextField& field;
        double& value;
        Unit measure;
        const char* name;
    } inputs[] = {{m_cHole, q.hole, Unit::Metre, "Hole"},          {m_cPlating, q.plating, Unit::Metre, "Plating"},
                  {m_cLength, q.length, Unit::Metre, "Board"},      {m_cPad, q.pad, Unit::Metre, "Pad"},
                  {m_cClearance, q.clearance, Unit::Metre, "Clearance"}, {m_cRise, q.rise, Unit::Celsius, "Rise"}};
    std::string error;
    std::optional<Via::Result> r;
    bool read = true;
    for (const auto& in : inputs) {
        const auto v = valueOf(in.field, in.measure, in.name, &error);
        if (!v) {
            read = false;
            break;
        }
        in.value = *v;
    }
    if (read) {
        const auto er = valueOf(m_cEr, Unit::None, "εr", &error);
        read = er.has_value();
        q.er = er.value_or(0);
    }
    if (read) q.current = valueOf(m_cCurrent, Unit::Ampere, "Current", &error, true);
    if (read && error.empty()) r = Via::compute(q, &error);
    if (!r) {
        m_cResistance.setText(error);
        for (Label* l : {&m_cCurrentResult, &m_cThermal, &m_cReactance}) l->setText("");
        return;
    }
    std::string resistance = "Resistance " + engineering(r->resistance, Unit::Ohm);
    if (q.current)
        resistance += "; at " + engineering(*q.current, Unit::Ampere) + " drop " + engineering(r->drop, Unit::Volt) +
                      ", loss " + engineering(r->loss, Unit::Watt);
    m_cResistance.setText(resistance);
    m_cCurrentResult.setText("Current for " + number(q.rise) + " °C rise: " + engineering(r->current, Unit::Ampere));
    m_cThermal.setText("Thermal resistance " + number(r->thermalResistance) + " °C/W");
    m_cReactance.setText("Capacitance " + engineering(r->capacitance, Unit::Farad) + ", inductance " +
                         engineering(r->inductance, Unit::Henry));
}
