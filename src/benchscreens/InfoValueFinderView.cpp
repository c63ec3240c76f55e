#include "benchscreens/InfoValueFinderView.h"

#include <cmath>

#include "core/bench/BandEncoder.h"
#include "core/bench/CapacitorEncoder.h"
#include "core/bench/ESeries.h"
#include "core/bench/SmdEncoder.h"

namespace {

std::string joined(const std::vector<std::string>& words, const char* between) {
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : between) + w;
    return text;
}

// "5", "0.5": a tolerance as the encoders take it, in tenths at most (written by hand: the locale may want
// a comma for the point).
std::string percentText(double percent) {
    const long tenths = std::lround(percent * 10);
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
}

}  // namespace

InfoValueFinderView::InfoValueFinderView(std::string nibName, std::string value)
    : BenchScreen(std::move(nibName), true) {
    addFields({{"m_cValue", &m_cValue, std::move(value), "e.g. 4k7, 100nF, 2u2H"}});
    registerOutlet("m_cNearest", m_cNearest);
    registerOutlet("m_cMarkingOf", m_cMarkingOf);
    registerOutlet("m_cBands", m_cBands);
    registerOutlet("m_cBandNames", m_cBandNames);
    registerOutlet("m_cCodes", m_cCodes);
}

double InfoValueFinderView::toleranceOf(const ESeries& series) {
    const size_t count = series.mantissas().size();
    if (count <= 6) return 20;
    if (count <= 12) return 10;
    if (count <= 24) return 5;
    if (count <= 48) return 2;
    return count <= 96 ? 1 : 0.5;
}

void InfoValueFinderView::ShowResults() {
    std::string error;
    const auto q = componentValueOf(m_cValue, &error);
    if (!q) {
        m_cNearest.setText(error);
        m_cMarkingOf.setHidden(true);
        showBands({}, "");
        m_cCodes.setText("");
        return;
    }
    const ESeries& s = series();
    const auto n = s.around(q->value, ESeries::smallest(q->unit));
    // A narrow window wraps the lines between values, never inside one ("4.7" above "kΩ") or after its name.
    const auto value = [&](double v) {
        std::string text = engineering(v, q->unit);
        if (auto blank = text.find(' '); blank != std::string::npos) text.replace(blank, 1, "\u00a0");
        return text;
    };
    m_cNearest.setText("Nearest " + s.name() + ": " + value(n.nearest) + " (" + signedPercent(n.errorPercent) +
                       ")\nBelow:\u00a0" + (n.below ? value(*n.below) : std::string("none")) + "   Above:\u00a0" +
                       value(n.above));
    // The markings are those of the part to take from the drawer: the nearest series value.
    m_cMarkingOf.setHidden(false);
    m_cMarkingOf.setText("Markings of " + engineering(n.nearest, q->unit));
    showMarkings(n.nearest, q->unit);
}

void InfoValueFinderView::showMarkings(double value, Unit unit) {
    const double tolerance = toleranceOf(series());
    std::string error;
    m_cBands.setBackgroundColor(unit == Unit::Henry ? std::optional(kInductorBody) : std::nullopt);
    if (unit == Unit::Farad) {
        showBands({}, "");
        auto code = CapacitorEncoder::code(value, percentText(tolerance), &error);
        m_cCodes.setText(code ? "Capacitor code: " + *code + " (±" + percentText(tolerance) + " %)" : error);
        return;
    }
    if (unit == Unit::Henry) {
        // Inductor bands carry 20, 10 or 5 %: the finer series are shown with 5 %.
        const double inductorTolerance = tolerance >= 10 ? tolerance : 5;
        auto bands = BandEncoder::inductor(value, inductorTolerance, &error);
        showBands(bands.value_or(std::vector<std::string>{}),
                  bands ? joined(*bands, " ") + " (±" + percentText(inductorTolerance) + " %)" : error);
        m_cCodes.setText("");
        return;
    }
    // Three bands carry no tolerance (20 %), four carry 10 or 5 %, five the finer ones with a third digit.
    const int count = tolerance >= 20 ? 3 : tolerance >= 5 ? 4 : 5;
    auto bands =
        BandEncoder::resistor(value, count, count == 3 ? std::nullopt : std::optional(tolerance), std::nullopt, &error);
    showBands(bands.value_or(std::vector<std::string>{}),
              bands ? joined(*bands, " ") + " (±" + percentText(tolerance) + " %)" : error);
    std::vector<std::string> smd;
    for (const auto& code : {SmdEncoder::threeDigit(value), SmdEncoder::fourDigit(value)})
        if (code) smd.push_back(*code);
    const auto eia = SmdEncoder::eia96(value);
    m_cCodes.setText("SMD code: " + (smd.empty() ? std::string("none") : joined(smd, " or ")) +
                     "\nEIA-96: " + eia.value_or("none"));
}

void InfoValueFinderView::showBands(const std::vector<std::string>& colours, const std::string& words) {
    m_cBands.setText(joined(colours, " "));
    m_cBands.setHidden(colours.empty());
    m_cBands.setAccessibilityLabel(words);
    m_cBandNames.setText(words);
    m_cBandNames.setHidden(words.empty());
}
