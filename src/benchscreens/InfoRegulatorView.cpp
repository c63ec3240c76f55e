#include "benchscreens/InfoRegulatorView.h"

#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"

InfoRegulatorView::InfoRegulatorView(std::string nibName) : BenchScreen(std::move(nibName), true) {
    addFields({{"m_cVout", &m_cVout, "5"},
               {"m_cR1", &m_cR1, "240"},
               {"m_cVref", &m_cVref, "1.25"},
               {"m_cIadj", &m_cIadj, "50u"}});
    registerOutlet("m_cResult", m_cResult);
    registerOutlet("m_cExact", m_cExact);
    registerOutlet("m_cSchematic", m_cSchematic);
    m_cSchematic.setImageNamed("bench_regulator_sch");
}

void InfoRegulatorView::ShowResults() {
    RegulatorFinder::Query q;
    q.series = &series();
    const struct {
        const TextField& field;
        double& value;
        Unit unit;
        const char* name;
    } inputs[] = {{m_cVout, q.vout, Unit::Volt, "Vout"},
                  {m_cR1, q.r1, Unit::Ohm, "R1"},
                  {m_cVref, q.vref, Unit::Volt, "Vref"},
                  {m_cIadj, q.iadj, Unit::Ampere, "Iadj"}};
    std::string error;
    std::optional<RegulatorFinder::Result> r;
    bool read = true;
    for (const auto& in : inputs) {
        const auto v = valueOf(in.field, in.unit, in.name, &error);
        if (!v) {
            read = false;
            break;
        }
        in.value = *v;
    }
    if (read) r = RegulatorFinder::find(q, &error);
    m_cResult.setText(r ? "R2 = " + engineering(r->r2, Unit::Ohm) + " (" + q.series->name() + ")\nVout = " +
                              engineering(r->vout, Unit::Volt, 5) + " (" + signedPercent(r->errorPercent) + ")"
                        : error);
    m_cExact.setText(r ? "Exact R2 = " + engineering(r->r2Exact, Unit::Ohm, 5) : "");
}
