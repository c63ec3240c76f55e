#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/calculators/Ne555Timer.h"

void addNe555Command(CLI::App& app) {
    auto* cmd = app.add_subcommand("ne555", "NE555 timer: monostable pulse, astable times and frequency");
    cmd->footer("Resistances in kilo-ohms and capacitances in microfarads (their product is milliseconds).\n"
                "Prints three lines: the monostable pulse, the astable times t1 and t2, the astable frequency.\n"
                "Example: velkaro ne555 --c1 100 --r1 10 --c2 0.1 --ra 1 --rb 2");
    auto texts = std::make_shared<Ne555Timer::Texts>();
    addTextOption(cmd, "--c1", texts->c1, "Monostable capacitor C, uF (opening text 10)");
    addTextOption(cmd, "--r1", texts->r1, "Monostable resistor R, kOhm (opening text 1)");
    addTextOption(cmd, "--c2", texts->c2, "Astable capacitor C, uF (opening text 10)");
    addTextOption(cmd, "--ra", texts->ra, "Astable resistor Ra, kOhm (opening text 1)");
    addTextOption(cmd, "--rb", texts->rb, "Astable resistor Rb, kOhm (opening text 1)");
    cmd->callback([texts] {
        const auto lines = Ne555Timer::linesForTexts(*texts);
        std::cout << lines.pulse << '\n' << lines.astable.times << '\n' << lines.astable.frequency << '\n';
    });
}
