#include "cli/WheelRows.h"

#include <algorithm>
#include <vector>

#include "cli/UsageError.h"
#include "core/bench/ColourCode.h"
#include "core/decoders/BandValue.h"
#include "platform/Text.h"

namespace {

std::vector<int> parseRows(const std::string& text, size_t count) {
    std::vector<int> rows;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (part.empty() || part.size() > 4 || part.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError("--rows takes " + std::to_string(count) +
                             " comma-separated row numbers (e.g. 0,1,2), not \"" + text + "\"");
        rows.push_back(std::stoi(part));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (rows.size() != count)
        throw UsageError("--rows takes exactly " + std::to_string(count) + " row numbers, got " +
                         std::to_string(rows.size()));
    return rows;
}

void checkRowsExist(const std::vector<std::vector<std::string>>& wheels, const std::vector<int>& rows,
                    const std::vector<std::string>& wheelNames) {
    for (size_t c = 0; c < rows.size(); ++c) {
        const int count = static_cast<int>(wheels[c].size());
        if (rows[c] >= count)
            throw UsageError("row " + std::to_string(rows[c]) + " does not exist on the " + wheelNames[c] +
                             " wheel (rows 0 to " + std::to_string(count - 1) + ")");
    }
}

}  // namespace

std::vector<std::string> wheelRowTexts(const std::string& text, const std::vector<std::vector<std::string>>& wheels,
                                       const std::vector<std::string>& wheelNames) {
    const auto rows = parseRows(text, wheelNames.size());
    checkRowsExist(wheels, rows, wheelNames);
    std::vector<std::string> texts;
    for (size_t c = 0; c < rows.size(); ++c) texts.push_back(wheels[c][static_cast<size_t>(rows[c])]);
    return texts;
}

int rowNamed(const std::vector<std::string>& rows, const std::string& name) {
    // Row names may hold letters beyond ASCII (µ, Ω), so the comparison ignores case the Unicode way.
    const std::string wanted = text::lowercased(name);
    auto same = [&](const std::string& row) { return text::lowercased(row) == wanted; };
    auto it = std::find_if(rows.begin(), rows.end(), same);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

std::string listOfChoices(const std::vector<std::string>& rows) {
    std::string out;
    for (const auto& r : rows) out += (out.empty() ? "" : ", ") + r;
    return out;
}

namespace {

std::vector<std::string> coloursWhere(bool (*keep)(const ColourCode::Colour&)) {
    std::vector<std::string> out;
    for (const auto& c : ColourCode::colours())
        if (keep(c)) out.emplace_back(c.name);
    return out;
}

}  // namespace

std::vector<std::string> digitColours(bool fromOne) {
    return fromOne ? coloursWhere([](const ColourCode::Colour& c) { return c.digit.value_or(0) > 0; })
                   : coloursWhere([](const ColourCode::Colour& c) { return c.digit.has_value(); });
}

std::vector<std::string> multiplierColours() {
    return coloursWhere([](const ColourCode::Colour& c) { return c.multiplier.has_value(); });
}

std::vector<std::string> toleranceColours(const std::vector<std::string>& extra) {
    auto out = coloursWhere([](const ColourCode::Colour& c) { return c.tolerance.has_value(); });
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

std::vector<std::string> temperatureCoefficientColours() {
    auto out = coloursWhere([](const ColourCode::Colour& c) { return c.temperatureCoefficient.has_value(); });
    out.emplace_back("none");
    return out;
}

void refuseBands(const BandRefusal& refusal, const std::vector<std::string>& bands, const std::vector<BandRole>& roles) {
    const auto band = static_cast<size_t>(refusal.band);
    const BandRole& role = roles.at(band);
    throw UsageError("band " + std::to_string(band + 1) + " (" + role.name + ") cannot be \"" + bands.at(band) +
                     "\"; choose one of: " + listOfChoices(role.colours));
}

nlohmann::ordered_json bandJson(double value, const char* unit, double tolerancePercent, std::optional<int> ppm,
                                const std::string& text) {
    return {{"value", value},
            {"unit", unit},
            {"tolerance_percent", tolerancePercent},
            {"temperature_coefficient_ppm", ppm ? nlohmann::ordered_json(*ppm) : nlohmann::ordered_json()},
            {"text", text}};
}
