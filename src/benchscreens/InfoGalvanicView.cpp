#include "benchscreens/InfoGalvanicView.h"

#include "core/pcb/GalvanicSeries.h"

namespace {

constexpr int kCopperRow = 5, kTinRow = 10;

}  // namespace

InfoGalvanicView::InfoGalvanicView(std::string nibName) : PcbScreen(std::move(nibName)) {
    std::vector<std::string> names;
    for (const auto& m : GalvanicSeries::metals()) names.push_back(m.name);
    addChoice("m_cMetals", m_cMetals, {names, names}, {kCopperRow, kTinRow});
    registerOutlet("m_cDifference", m_cDifference);
    registerOutlet("m_cVerdict", m_cVerdict);
}

void InfoGalvanicView::ShowResults() {
    const auto& metals = GalvanicSeries::metals();
    const auto p = GalvanicSeries::pair(metals[static_cast<size_t>(chosen(m_cMetals, 0))].name,
                                        metals[static_cast<size_t>(chosen(m_cMetals, 1))].name, nullptr);
    m_cDifference.setText("Difference " + engineering(p->difference, Unit::Volt) +
                          (p->difference > 0 ? std::string("; ") + p->anode->name + " corrodes" : std::string()));
    auto ok = [](bool yes) { return yes ? "yes" : "no"; };
    m_cVerdict.setText(std::string("Harsh: ") + ok(p->harsh) + ", normal: " + ok(p->normal) +
                       ", controlled: " + ok(p->controlled));
}
