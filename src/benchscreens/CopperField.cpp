#include "benchscreens/CopperField.h"

#include "core/bench/ValueReader.h"
#include "core/bench/Quantity.h"
#include "core/pcb/Conductor.h"

std::optional<double> copperThickness(const TextField& field, std::string* error) {
    std::string text = field.text();
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const bool ounces = text.size() > 2 && (text.ends_with("oz") || text.ends_with("OZ"));
    if (ounces) text.resize(text.size() - 2);
    auto v = ounces ? ValueReader::readAs(text, Unit::None, error) : ValueReader::readAs(text, Unit::Metre, error);
    if (!v) {
        *error = field.text().empty() ? "Copper: type a thickness, such as 35um or 1oz" : "Copper: " + *error;
        return std::nullopt;
    }
    error->clear();
    return ounces ? *v * conductor::kMetresPerOunce : *v;
}
