#include "benchscreens/InfoIdentifyView.h"

#include <algorithm>
#include <cctype>

#include "core/bench/ColourCode.h"
#include "core/bench/MarkingIdentifier.h"

namespace {

// The colour names of a banded marking, left to right as typed; empty when a word is no colour.
std::vector<std::string> colourWords(const std::string& text) {
    std::vector<std::string> colours;
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c != ' ' && c != ',' && c != '-' && c != '\t') {
            word += c;
            continue;
        }
        if (word.empty()) continue;
        const ColourCode::Colour* colour = ColourCode::named(word);
        if (!colour) return {};
        colours.emplace_back(colour->name);
        word.clear();
    }
    return colours;
}

}  // namespace

InfoIdentifyView::InfoIdentifyView(std::string nibName) : BenchScreen(std::move(nibName), false) {
    addFields({{"m_cMarking", &m_cMarking, "474K", "e.g. 474K, 4R7, yellow violet red gold"}});
    registerOutlet("m_cBest", m_cBest);
    registerOutlet("m_cBands", m_cBands);
    registerOutlet("m_cReadings", m_cReadings);
}

void InfoIdentifyView::ShowResults() {
    const auto readings = MarkingIdentifier::identify(m_cMarking.text());
    if (readings.empty()) {
        showBands("");
        const bool typed = m_cMarking.text().find_first_not_of(" \t") != std::string::npos;
        m_cBest.setText(typed ? "'" + m_cMarking.text() + "' is no marking this program reads" : "Type a marking");
        m_cReadings.setText(
            "Colour bands (yellow violet red gold), an SMD code (472, 4702, 4R7, 01C), a capacitor "
            "code (474K), an inductor code or a value (4k7)");
        return;
    }
    showBands(readings.front().kind);
    std::string kind = readings.front().kind;
    kind[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(kind[0])));
    m_cBest.setText(kind + ": " + readings.front().text);
    std::string others;
    for (size_t i = 1; i < readings.size(); ++i)
        others += (others.empty() ? "Or " : "\nor ") + readings[i].kind + ": " + readings[i].text;
    m_cReadings.setText(others);
}

void InfoIdentifyView::showBands(const std::string& kind) {
    std::vector<std::string> colours;
    if (kind.find("bands") != std::string::npos) colours = colourWords(m_cMarking.text());
    if (kind.find("reversed") != std::string::npos) std::reverse(colours.begin(), colours.end());
    std::string text;
    for (const auto& c : colours) text += (text.empty() ? "" : " ") + c;
    m_cBands.setText(text);
    m_cBands.setHidden(colours.empty());
    m_cBands.setBackgroundColor(kind.starts_with("inductor") ? std::optional(kInductorBody) : std::nullopt);
}
