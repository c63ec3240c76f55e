#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/OptionReader.h"
#include "cli/UsageError.h"
#include "core/calculators/SolarBattery.h"

namespace {

// Hours a day cannot pass 24; the value reader has already refused negative ones.
float hoursADay(const std::string& option, const std::string& text) {
    const double hours = OptionReader::read(option, text, Measure::Hours);
    if (hours > 24) throw UsageError(option + ": '" + text + "' hours is more than a day holds (at most 24)");
    return static_cast<float>(hours);
}

// NAME:POWER:HOURS, split at the last two colons so a name may hold colons of its own.
InfoSolarCalcItem parseLoad(const std::string& text) {
    auto last = text.rfind(':');
    auto middle = last == std::string::npos || last == 0 ? std::string::npos : text.rfind(':', last - 1);
    if (middle == std::string::npos)
        throw UsageError("--load takes NAME:POWER:HOURS (e.g. 'LED lamp:9:4'), not \"" + text + "\"");
    const float watts = static_cast<float>(
        OptionReader::read("--load POWER", text.substr(middle + 1, last - middle - 1), Measure::Watts));
    return {text.substr(0, middle), watts, hoursADay("--load HOURS", text.substr(last + 1))};
}

nlohmann::ordered_json orNull(const std::optional<float>& value) {
    return value ? nlohmann::ordered_json(bench::decimal(*value)) : nlohmann::ordered_json();
}

}  // namespace

void addSolarCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("solar", "Solar battery calculator: battery and panels for a list of loads");
    cmd->footer(
        "E = sum of POWER x HOURS over the loads (Wh). Battery capacity C = 1.2 x E / voltage (Ah), printed\n"
        "with twice C; reserve R = 0.2 x C. One panel's average power over a day A = panel x (sun / 1.55) / 24 (W);\n"
        "panels = floor(voltage x R x 0.5 / A) + 1. C and twice C read \"--\" for a voltage of 0.1 V or less;\n"
        "the panels and A read \"--\" unless sun > 0.1 and below 24, panel > 0.1 and R > 0.01.\n"
        "Each --load adds a row, in the order given. Prints six lines (E, C, twice C, R, panels, A) and then one\n"
        "line per load as the list shows it.\n"
        "Example: velkaro solar --load 'LED lamp:9:4' --load 'TV:60:5' --voltage 24");
    auto loads = std::make_shared<std::vector<std::string>>();
    cmd->add_option("--load", *loads, "A load NAME:POWER:HOURS, watts and hours a day; repeat for more loads")
        ->type_name("NAME:POWER:HOURS")
        ->allow_extra_args(false);
    struct Options {
        SolarBattery::Texts texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    addTextOption(cmd, "--voltage", o->texts.volts, "Battery voltage, volts (default 12)")->type_name("V");
    addTextOption(cmd, "--sun", o->texts.sunHours, "Sun hours a day, at most 24 (default 5)")->type_name("HOURS");
    addTextOption(cmd, "--panel", o->texts.panelWatts, "Power of one panel, watts (default 100)")->type_name("W");
    bench::addJsonFlag(cmd, o->json,
                       "Print one JSON object: voltage_v, sun_hours, panel_w, loads [{name, power_w, hours, "
                       "energy_wh}], energy_wh, capacity_ah, double_capacity_ah, reserve_ah, panels, panel_average_w "
                       "(null where the line reads \"--\")");
    cmd->callback([loads, o] {
        std::vector<InfoSolarCalcItem> items;
        for (const auto& text : *loads) items.push_back(parseLoad(text));
        SolarBattery::Inputs in;
        in.volts = static_cast<float>(OptionReader::read("--voltage", o->texts.volts, Measure::Volts));
        in.sunHours = hoursADay("--sun", o->texts.sunHours);
        in.panelWatts = static_cast<float>(OptionReader::read("--panel", o->texts.panelWatts, Measure::Watts));
        const auto result = SolarBattery::compute(items, in);
        if (o->json) {
            using Json = nlohmann::ordered_json;
            Json rows = Json::array();
            for (const auto& item : items)
                rows.push_back({{"name", item.sName},
                                {"power_w", bench::decimal(item.fPower)},
                                {"hours", bench::decimal(item.fDailyUsage)},
                                {"energy_wh", bench::decimal(item.dailyEnergy())}});
            const std::optional<float> twice =
                result.capacity ? std::optional(*result.capacity + *result.capacity) : std::nullopt;
            bench::printJson({{"voltage_v", bench::decimal(in.volts)},
                              {"sun_hours", bench::decimal(in.sunHours)},
                              {"panel_w", bench::decimal(in.panelWatts)},
                              {"loads", rows},
                              {"energy_wh", bench::decimal(result.energy)},
                              {"capacity_ah", orNull(result.capacity)},
                              {"double_capacity_ah", orNull(twice)},
                              {"reserve_ah", bench::decimal(result.reserve)},
                              {"panels", result.panels ? Json(*result.panels) : Json()},
                              {"panel_average_w", result.panels ? Json(bench::decimal(result.average)) : Json()}});
            return;
        }
        for (const auto& line : SolarBattery::lines(result)) std::cout << line << '\n';
        for (const auto& item : items) std::cout << item.rowText() << '\n';
    });
}
