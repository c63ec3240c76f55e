#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/calculators/VoltageDrop.h"

void addDropCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("drop", "Wire voltage drop along a two-wire copper or aluminium cable");
    cmd->footer("The gauge must be typed exactly as listed: 0000, 000, 00, 0, 1 ... 40.\n"
                "Prints three lines: the resistance per metre (or \"Incorrect input\"), the copper drop and the\n"
                "aluminium drop. Example: velkaro drop --awg 14 --current 10 --length 25");
    auto texts = std::make_shared<VoltageDrop::Texts>();
    addTextOption(cmd, "--awg", texts->gauge, "Wire gauge, AWG (opening text 18)");
    addTextOption(cmd, "--current", texts->amps, "Current, amperes (opening text 5)");
    addTextOption(cmd, "--length", texts->metres, "Cable length one way, metres (opening text 10)");
    cmd->callback([texts] {
        const auto lines = VoltageDrop::linesForTexts(*texts);
        std::cout << lines.resistance << '\n' << lines.copper << '\n' << lines.aluminium << '\n';
    });
}
