#include <iostream>
#include <memory>

#include "calculators/InfoLedsView.h"
#include "cli/Commands.h"
#include "cli/FieldOptions.h"
#include "cli/ScreenRunner.h"

void addLedCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("led", "LED series resistor: resistance, power and the standard part to use");
    cmd->footer("Prints two lines: the resistance and its power (or an error), then the recommended resistor and\n"
                "power rating (empty when none fits). Texts are read as the screen's fields read them.\n"
                "Example: velkaro led --supply 12 --count 3 --forward 2.1 --current 20");
    auto fields = std::make_shared<FieldOptions>();
    fields->add(cmd, "--supply", "m_cVoltage", "Supply voltage, volts (opening text 12)");
    fields->add(cmd, "--count", "m_cLedsCount", "Number of LEDs in series (opening text 1)");
    fields->add(cmd, "--forward", "m_cVoltageOnLED", "Forward voltage of one LED, volts (opening text 2)");
    fields->add(cmd, "--current", "m_cCurrentOnLED", "LED current, milliamperes (opening text 20)");
    cmd->callback([fields] {
        auto screen = openScreen<InfoLedsView>("InfoLedsView");
        fields->typeInto(*screen);
        std::cout << screen->m_cResults.text() << '\n' << screen->m_cResults2.text() << '\n';
    });
}
