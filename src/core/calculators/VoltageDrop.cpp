#include "core/calculators/VoltageDrop.h"

#include "platform/Format.h"
#include "platform/Numbers.h"

const std::vector<std::pair<std::string, std::string>>& VoltageDrop::awgTable() {
    static const std::vector<std::pair<std::string, std::string>> table = {
        {"0000", "0.000161"}, {"000", "0.000203"}, {"00", "0.000256"}, {"0", "0.000323"}, {"1", "0.000407"},
        {"2", "0.000513"},    {"3", "0.000647"},   {"4", "0.000815"},  {"5", "0.00103"},  {"6", "0.00130"},
        {"7", "0.00163"},     {"8", "0.00206"},    {"9", "0.00260"},   {"10", "0.00328"}, {"11", "0.00413"},
        {"12", "0.00521"},    {"13", "0.00657"},   {"14", "0.00829"},  {"15", "0.0104"},  {"16", "0.0132"},
        {"17", "0.0166"},     {"18", "0.0210"},    {"19", "0.0264"},   {"20", "0.0333"},  {"21", "0.0420"},
        {"22", "0.0530"},     {"23", "0.0668"},    {"24", "0.0842"},   {"25", "0.106"},   {"26", "0.134"},
        {"27", "0.169"},      {"28", "0.213"},     {"29", "0.268"},    {"30", "0.339"},   {"31", "0.427"},
        {"32", "0.538"},      {"33", "0.679"},     {"34", "0.856"},    {"35", "1.08"},    {"36", "1.36"},
        {"37", "1.72"},       {"38", "2.16"},      {"39", "2.73"},     {"40", "3.44"},
    };
    return table;
}

std::optional<std::string> VoltageDrop::resistanceOfGauge(std::string_view gauge) {
    // Character for character: "018", "4/0" or "18 " are not gauges, and "0" and "00" are different ones.
    for (const auto& [key, ohmsPerMetre] : awgTable())
        if (key == gauge) return ohmsPerMetre;
    return std::nullopt;
}

std::optional<VoltageDrop::Result> VoltageDrop::compute(std::string_view gauge, float amps, float metres) {
    auto ohmsPerMetre = resistanceOfGauge(gauge);
    if (!ohmsPerMetre) return std::nullopt;
    const float rho = floatValue(*ohmsPerMetre);
    // Both conductors of the cable count, hence twice the length; single precision in exactly this order.
    const float copper = rho * (metres + metres) * amps;
    return Result{*ohmsPerMetre, copper, copper * kAluminiumFactor};
}

VoltageDrop::Lines VoltageDrop::lines(const std::optional<Result>& r) {
    if (!r) return {"Incorrect input", "", ""};
    return {format("Resistance, Ohm/m: %@", r->ohmsPerMetre),
            format("Voltage drop (copper): %.2fV", static_cast<double>(r->copper)),
            format("Voltage drop (alum.): %.2fV", static_cast<double>(r->aluminium))};
}

VoltageDrop::Lines VoltageDrop::linesForTexts(const Texts& texts) {
    return lines(compute(texts.gauge, floatValue(texts.amps), floatValue(texts.metres)));
}
