#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "calculators/InfoSolarCalcView.h"
#include "cli/Commands.h"
#include "cli/FieldOptions.h"
#include "cli/ScreenRunner.h"
#include "cli/UsageError.h"

namespace {

struct LoadTexts {
    std::string name, power, hours;
};

// NAME:POWER:HOURS, split at the last two colons so a name may hold colons of its own.
LoadTexts parseLoad(const std::string& text) {
    auto last = text.rfind(':');
    auto middle = last == std::string::npos || last == 0 ? std::string::npos : text.rfind(':', last - 1);
    if (middle == std::string::npos)
        throw UsageError("--load takes NAME:POWER:HOURS (e.g. 'LED lamp:9:4'), not \"" + text + "\"");
    return {text.substr(0, middle), text.substr(middle + 1, last - middle - 1), text.substr(last + 1)};
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
    auto fields = std::make_shared<FieldOptions>();
    fields->add(cmd, "--voltage", "m_cVoltage", "Battery voltage, volts (opening text 12)");
    fields->add(cmd, "--sun", "m_cSunHours", "Sun hours a day (opening text 5)");
    fields->add(cmd, "--panel", "m_cPanelPower", "Power of one panel, watts (opening text 100)");
    cmd->callback([loads, fields] {
        std::vector<LoadTexts> parsed;
        for (const auto& text : *loads) parsed.push_back(parseLoad(text));
        auto screen = openScreen<InfoSolarCalcView>("InfoSolarCalcView");
        for (const auto& load : parsed) {
            screen->m_cItemName.userEdit(load.name);
            screen->m_cItemPower.userEdit(load.power);
            screen->m_cItemUsage.userEdit(load.hours);
            screen->sendAction("onButtonAddItem");
        }
        fields->typeInto(*screen);
        for (const Label* result : {&screen->m_cResult1, &screen->m_cResult2, &screen->m_cResult3, &screen->m_cResult4,
                                    &screen->m_cResult5, &screen->m_cResult6})
            std::cout << result->text() << '\n';
        TableView& table = screen->m_cTable;
        for (int row = 0; row < table.numberOfRowsInSection(0); ++row)
            std::cout << table.cellForRowAtIndexPath({0, row})->textLabel().text() << '\n';
    });
}
