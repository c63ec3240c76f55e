#include "cli/BenchArguments.h"

#include <charconv>
#include <iostream>

#include "core/bench/ESeries.h"
#include "core/bench/ValueReader.h"
#include "cli/UsageError.h"

namespace bench {

double value(const std::string& text, Unit unit) {
    std::string error;
    auto v = ValueReader::readAs(text, unit, &error);
    if (!v) throw UsageError(error);
    return *v;
}

double value(const std::string& option, const std::string& text, Unit unit) {
    std::string error;
    auto v = ValueReader::readAs(text, unit, &error);
    if (!v) throw UsageError(option + ": " + error);
    return *v;
}

Quantity anyComponentValue(const std::string& text) {
    std::string error;
    auto q = ValueReader::readComponent(text, &error);
    if (!q) throw UsageError(error);
    return *q;
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

void addJsonFlag(CLI::App* cmd, bool& flag, const std::string& help) { cmd->add_flag("--json", flag, help); }

void addSeriesOption(CLI::App* cmd, std::string& name) {
    cmd->add_option("--series", name, "E3, E6, E12, E24, E48, E96 or E192")->capture_default_str();
}

void printJson(const nlohmann::ordered_json& object) {
    // Names come from the file system and the command line, which need not be UTF-8.
    std::cout << object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

double decimal(float value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double out = 0;
    std::from_chars(text, end, out);
    return out;
}

}  // namespace bench
