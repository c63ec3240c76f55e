#include "benchscreens/InfoIdentifyView.h"

#include <cctype>

#include "benchtools/MarkingIdentifier.h"

InfoIdentifyView::InfoIdentifyView(std::string nibName) : BenchScreen(std::move(nibName), false) {
    addFields({{"m_cMarking", &m_cMarking, "474K", "e.g. 474K, 4R7, yellow violet red gold"}});
    registerOutlet("m_cBest", m_cBest);
    registerOutlet("m_cReadings", m_cReadings);
}

void InfoIdentifyView::ShowResults() {
    const auto readings = MarkingIdentifier::identify(m_cMarking.text());
    if (readings.empty()) {
        const bool typed = m_cMarking.text().find_first_not_of(" \t") != std::string::npos;
        m_cBest.setText(typed ? "'" + m_cMarking.text() + "' is no marking this program reads" : "Type a marking");
        m_cReadings.setText(
            "Colour bands (yellow violet red gold), an SMD code (472, 4702, 4R7, 01C), a capacitor "
            "code (474K), an inductor code or a value (4k7)");
        return;
    }
    std::string kind = readings.front().kind;
    kind[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(kind[0])));
    m_cBest.setText(kind + ": " + readings.front().text);
    std::string others;
    for (size_t i = 1; i < readings.size(); ++i)
        others += (others.empty() ? "Or " : "\nor ") + readings[i].kind + ": " + readings[i].text;
    m_cReadings.setText(others);
}
