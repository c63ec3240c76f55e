#include "benchscreens/InfoTrackWidthView.h"

#include "benchscreens/CopperField.h"
#include "core/bench/Quantity.h"
#include "core/pcb/TrackWidth.h"

InfoTrackWidthView::InfoTrackWidthView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cCurrent", &m_cCurrent, "2"},
               {"m_cWidth", &m_cWidth, "1mm"},
               {"m_cRise", &m_cRise, "10"},
               {"m_cThickness", &m_cThickness, "1oz"},
               {"m_cLength", &m_cLength, "50mm", "optional"}});
    addChoice("m_cLayer", m_cLayer, {{"Outer", "Inner"}}, {0});
    registerOutlet("m_cWidthResult", m_cWidthResult);
    registerOutlet("m_cCurrentResult", m_cCurrentResult);
    registerOutlet("m_cLoss", m_cLoss);
}

void InfoTrackWidthView::ShowResults() {
    TrackWidth::Query q;
    q.internal = chosen(m_cLayer) == 1;
    std::string error;
    const auto rise = valueOf(m_cRise, Unit::Celsius, "Rise", &error);
    const auto thickness = rise ? copperThickness(m_cThickness, &error) : std::nullopt;
    const auto length = thickness ? valueOf(m_cLength, Unit::Metre, "Length", &error, true) : std::nullopt;
    if (!rise || !thickness || !error.empty()) {
        m_cWidthResult.setText(error);
        m_cCurrentResult.setText("");
        m_cLoss.setText("");
        return;
    }
    q.rise = *rise;
    q.thickness = *thickness;
    q.length = length.value_or(0);
    // Each way from its own field: the width for the current, the current for the width.
    auto way = [&](const TextField& field, const char* name, bool current) -> std::string {
        std::string e;
        const auto v = current ? valueOf(field, Unit::Ampere, name, &e, true) : valueOf(field, Unit::Metre, name, &e, true);
        if (!v) return e;
        TrackWidth::Query w = q;
        (current ? w.current : w.width) = *v;
        const auto r = TrackWidth::compute(w, &e);
        if (!r) return e;
        if (current && q.length > 0)
            m_cLoss.setText("Over " + engineering(q.length, Unit::Metre) + ": " + engineering(r->resistance, Unit::Ohm) +
                            ", drop " + engineering(r->drop, Unit::Volt) + ", loss " + engineering(r->loss, Unit::Watt));
        return current ? "Width for " + engineering(r->current, Unit::Ampere) + ": " + engineering(r->width, Unit::Metre) +
                             " (" + number(r->width / 25.4e-6, 3) + " mil)"
                       : "Current for " + engineering(r->width, Unit::Metre) + ": " + engineering(r->current, Unit::Ampere);
    };
    m_cLoss.setText("");
    m_cWidthResult.setText(way(m_cCurrent, "Current", true));
    m_cCurrentResult.setText(way(m_cWidth, "Width", false));
}
