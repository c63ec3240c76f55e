#include "benchscreens/InfoFusingView.h"

#include "benchscreens/CopperField.h"
#include "core/bench/Quantity.h"
#include "core/pcb/Fusing.h"

InfoFusingView::InfoFusingView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cWidth", &m_cWidth, "0.25mm"},
               {"m_cThickness", &m_cThickness, "1oz"},
               {"m_cTime", &m_cTime, "1", "optional"},
               {"m_cCurrent", &m_cCurrent, "10", "optional"},
               {"m_cAmbient", &m_cAmbient, "25"}});
    registerOutlet("m_cFuseCurrent", m_cFuseCurrent);
    registerOutlet("m_cFuseTime", m_cFuseTime);
}

void InfoFusingView::ShowResults() {
    std::string error;
    auto width = valueOf(m_cWidth, Unit::Metre, "Width", &error);
    auto thickness = width ? copperThickness(m_cThickness, &error) : std::nullopt;
    auto ambient = thickness ? valueOf(m_cAmbient, Unit::Celsius, "Ambient", &error) : std::nullopt;
    if (!ambient) {
        m_cFuseCurrent.setText(error);
        m_cFuseTime.setText("");
        return;
    }
    auto way = [&](const TextField& field, const char* name, bool time) -> std::string {
        std::string e;
        const auto v = time ? valueOf(field, Unit::Second, name, &e, true) : valueOf(field, Unit::Ampere, name, &e, true);
        if (!v) return e;
        Fusing::Query q;
        q.area = *width * *thickness;
        q.ambient = *ambient;
        (time ? q.time : q.current) = *v;
        const auto r = Fusing::compute(q, &e);
        if (!r) return e;
        return time ? "Melts in " + engineering(r->time, Unit::Second) + " at " + engineering(r->current, Unit::Ampere)
                    : engineering(r->current, Unit::Ampere) + " melts it in " + engineering(r->time, Unit::Second);
    };
    m_cFuseCurrent.setText(way(m_cTime, "Time", true));
    m_cFuseTime.setText(way(m_cCurrent, "Current", false));
}
