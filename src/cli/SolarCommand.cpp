#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "platform/Numbers.h"
#include "core/calculators/SolarBattery.h"

namespace {

// NAME:POWER:HOURS, split at the last two colons so a name may hold colons of its own; the figures are read as
// the screen reads its fields.
InfoSolarCalcItem parseLoad(const std::string& text) {
    auto last = text.rfind(':');
    auto middle = last == std::string::npos || last == 0 ? std::string::npos : text.rfind(':', last - 1);
    if (middle == std::string::npos)
        throw UsageError("--load takes NAME:POWER:HOURS (e.g. 'LED lamp:9:4'), not \"" + text + "\"");
    return {text.substr(0, middle), floatValue(text.substr(middle + 1, last - middle - 1)),
            floatValue(text.substr(last + 1))};
}

}  // namespace

void addSolarCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("solar", "Solar battery calculator: battery and panels for a list of loads");
    cmd->footer("Each --load adds a row as the add button does, in the order given; POWER (watts) and HOURS (a day)\n"
                "are field texts. Prints six lines (daily energy, battery capacity, twice that, reserve, panel count,\n"
                "average power of one panel) and then one line per load as the list shows it.\n"
                "Example: velkaro solar --load 'LED lamp:9:4' --load 'TV:60:5' --voltage 24");
    auto loads = std::make_shared<std::vector<std::string>>();
    cmd->add_option("--load", *loads, "A load NAME:POWER:HOURS; repeat for more loads")
        ->type_name("NAME:POWER:HOURS")
        ->allow_extra_args(false);
    auto texts = std::make_shared<SolarBattery::Texts>();
    addTextOption(cmd, "--voltage", texts->volts, "Battery voltage, volts (opening text 12)");
    addTextOption(cmd, "--sun", texts->sunHours, "Sun hours a day (opening text 5)");
    addTextOption(cmd, "--panel", texts->panelWatts, "Power of one panel, watts (opening text 100)");
    cmd->callback([loads, texts] {
        std::vector<InfoSolarCalcItem> items;
        for (const auto& text : *loads) items.push_back(parseLoad(text));
        for (const auto& line : SolarBattery::linesForTexts(items, *texts)) std::cout << line << '\n';
        for (const auto& item : items) std::cout << item.rowText() << '\n';
    });
}
