#include "benchscreens/InfoAttenuatorView.h"

#include "core/bench/ESeries.h"
#include "core/pcb/Attenuator.h"

namespace {

using Kind = Attenuator::Kind;
constexpr Kind kKinds[] = {Kind::Pi, Kind::T, Kind::BridgedT, Kind::Splitter};

std::string resistors(const Attenuator::Network& n) {
    return "R1 " + engineering(n.r1, Unit::Ohm) + ", R2 " + engineering(n.r2, Unit::Ohm) + ", R3 " +
           engineering(n.r3, Unit::Ohm);
}

}  // namespace

InfoAttenuatorView::InfoAttenuatorView(std::string nibName) : PcbScreen(std::move(nibName)) {
    addFields({{"m_cDb", &m_cDb, "10"}, {"m_cZin", &m_cZin, "50"}, {"m_cZout", &m_cZout, "50"}});
    std::vector<std::string> series;
    for (const ESeries* s : ESeries::all()) series.push_back(s->name());
    addChoice("m_cChoice", m_cChoice, {{"Pi", "T", "Bridged-T", "Splitter"}, series}, {0, 3});
    registerOutlet("m_cExact", m_cExact);
    registerOutlet("m_cNearest", m_cNearest);
    registerOutlet("m_cMatch", m_cMatch);
}

void InfoAttenuatorView::ShowResults() {
    Attenuator::Query q;
    q.kind = kKinds[chosen(m_cChoice, 0)];
    q.series = ESeries::all()[static_cast<size_t>(chosen(m_cChoice, 1))];
    std::string error;
    std::optional<Attenuator::Result> r;
    const bool splitter = q.kind == Kind::Splitter;
    auto db = splitter ? std::optional<double>(0) : valueOf(m_cDb, Unit::None, "Attenuation", &error);
    auto zin = db ? valueOf(m_cZin, Unit::Ohm, "Input", &error) : std::nullopt;
    auto zout = zin ? valueOf(m_cZout, Unit::Ohm, "Output", &error) : std::nullopt;
    if (zout) {
        q.db = *db;
        q.zin = *zin;
        q.zout = *zout;
        r = Attenuator::design(q, &error);
    }
    if (!r) {
        m_cExact.setText(error);
        m_cNearest.setText("");
        m_cMatch.setText("");
        return;
    }
    const auto& n = r->nearest;
    m_cExact.setText("Exact: " + resistors(r->exact));
    m_cNearest.setText(q.series->name() + ": " + resistors(n));
    m_cMatch.setText("They give " + number(n.db) + " dB; input " + engineering(n.zinSeen, Unit::Ohm) + " (return loss " +
                     number(n.returnLoss, 3) + " dB), output " + engineering(n.zoutSeen, Unit::Ohm));
}
