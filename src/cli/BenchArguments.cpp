#include "cli/BenchArguments.h"

#include <iostream>

#include "benchtools/ESeries.h"
#include "benchtools/ValueReader.h"
#include "cli/UsageError.h"

namespace bench {

namespace {

Quantity read(const std::string& text) {
    std::string error;
    auto q = ValueReader::read(text, &error);
    if (!q) throw UsageError(error);
    return *q;
}

// "ohms", "farads", "henries".
std::string plural(Unit unit) {
    const std::string name = unitName(unit);
    return name == "henry" ? "henries" : name + "s";
}

}  // namespace

double value(const std::string& text, Unit unit) {
    const Quantity q = read(text);
    if (q.unit != Unit::None && q.unit != unit)
        throw UsageError("'" + text + "' is in " + plural(q.unit) + ": give " + plural(unit));
    return q.value;
}

Quantity anyComponentValue(const std::string& text) {
    Quantity q = read(text);
    if (q.unit == Unit::None) q.unit = Unit::Ohm;
    if (q.unit != Unit::Ohm && q.unit != Unit::Farad && q.unit != Unit::Henry)
        throw UsageError("'" + text + "' is in " + plural(q.unit) + ": give ohms, farads or henries");
    return q;
}

double percent(const std::string& text) {
    std::string t = text;
    while (!t.empty() && (t.back() == '%' || t.back() == ' ')) t.pop_back();
    return value(t, Unit::None);
}

const ESeries& series(const std::string& name) {
    if (const ESeries* s = ESeries::named(name)) return *s;
    throw UsageError("'" + name + "' is not a series: use E3, E6, E12, E24, E48, E96 or E192");
}

void addJsonFlag(CLI::App* cmd, bool& flag) {
    cmd->add_flag("--json", flag, "Print one JSON object (values in ohms, farads, henries, volts)");
}

void addSeriesOption(CLI::App* cmd, std::string& name) {
    cmd->add_option("--series", name, "E3, E6, E12, E24, E48, E96 or E192")->capture_default_str();
}

void printJson(const nlohmann::ordered_json& object) { std::cout << object.dump() << '\n'; }

}  // namespace bench
