#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/calculators/LedResistor.h"

void addLedCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("led", "LED series resistor: resistance, power and the standard part to use");
    cmd->footer("Prints two lines: the resistance and its power (or an error), then the recommended resistor and\n"
                "power rating (empty when none fits). Texts are read as the screen's fields read them.\n"
                "Example: velkaro led --supply 12 --count 3 --forward 2.1 --current 20");
    auto texts = std::make_shared<LedResistor::Texts>();
    addTextOption(cmd, "--supply", texts->supply, "Supply voltage, volts (opening text 12)");
    addTextOption(cmd, "--count", texts->count, "Number of LEDs in series (opening text 1)");
    addTextOption(cmd, "--forward", texts->forward, "Forward voltage of one LED, volts (opening text 2)");
    addTextOption(cmd, "--current", texts->current, "LED current, milliamperes (opening text 20)");
    cmd->callback([texts] {
        const auto lines = LedResistor::linesForTexts(*texts);
        std::cout << lines.resistance << '\n' << lines.recommendation << '\n';
    });
}
