#include "benchscreens/InfoDividerView.h"

#include "core/bench/CombinationFinder.h"
#include "core/bench/DividerFinder.h"
#include "core/bench/ESeries.h"

InfoDividerView::InfoDividerView(std::string nibName) : BenchScreen(std::move(nibName), true) {
    addFields({{"m_cVin", &m_cVin, "12"},
               {"m_cVout", &m_cVout, "3.3"},
               {"m_cLoad", &m_cLoad, "", "none"},
               {"m_cMinTotal", &m_cMinTotal, "", "1k"},
               {"m_cMaxTotal", &m_cMaxTotal, "", "1M"},
               {"m_cTarget", &m_cTarget, "5k"}});
    registerOutlet("m_cDivider", m_cDivider);
    registerOutlet("m_cAlternatives", m_cAlternatives);
    registerOutlet("m_cCombination", m_cCombination);
}

void InfoDividerView::ShowResults() {
    showDivider();
    showCombination();
}

void InfoDividerView::showDivider() {
    DividerFinder::Query q;
    q.series = &series();
    std::string error;
    const struct {
        const TextField& field;
        Unit unit;
        const char* name;
        bool optional;
    } inputs[] = {{m_cVin, Unit::Volt, "Vin", false},
                  {m_cVout, Unit::Volt, "Vout", false},
                  {m_cLoad, Unit::Ohm, "Load", true},
                  {m_cMinTotal, Unit::Ohm, "Least R1 + R2", true},
                  {m_cMaxTotal, Unit::Ohm, "Most R1 + R2", true}};
    std::optional<double> values[std::size(inputs)];
    for (size_t i = 0; i < std::size(inputs); ++i) {
        values[i] = valueOf(inputs[i].field, inputs[i].unit, inputs[i].name, &error, inputs[i].optional);
        if (!error.empty()) {
            m_cDivider.setText(error);
            m_cAlternatives.setText("");
            return;
        }
    }
    q.vin = *values[0];
    q.vout = *values[1];
    q.load = values[2];
    q.minTotal = values[3].value_or(q.minTotal);
    q.maxTotal = values[4].value_or(q.maxTotal);
    const auto found = DividerFinder::find(q, &error);
    m_cDivider.setText(found ? DividerFinder::describe(found->front()) : error);
    std::string others;
    for (size_t i = 1; found && i < found->size(); ++i)
        others += (others.empty() ? "or " : "\nor ") + DividerFinder::describe((*found)[i]);
    m_cAlternatives.setText(others);
}

void InfoDividerView::showCombination() {
    std::string error;
    const auto target = valueOf(m_cTarget, Unit::Ohm, "Resistance", &error);
    const auto found = target ? CombinationFinder::find(*target, series(), &error) : std::nullopt;
    if (!found) return m_cCombination.setText(error);
    m_cCombination.setText("One: " + CombinationFinder::describe(found->single) +
                           "\nTwo in series: " + CombinationFinder::describe(found->series) +
                           "\nTwo in parallel: " + CombinationFinder::describe(found->parallel) +
                           "\nThree: " + CombinationFinder::describe(found->three));
}
