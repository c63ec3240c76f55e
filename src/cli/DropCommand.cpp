#include <iostream>
#include <memory>

#include "calculators/InfoWiresVoltageDrop.h"
#include "cli/Commands.h"
#include "cli/FieldOptions.h"
#include "cli/ScreenRunner.h"

void addDropCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("drop", "Wire voltage drop along a two-wire copper or aluminium cable");
    cmd->footer("The gauge must be typed exactly as listed: 0000, 000, 00, 0, 1 ... 40.\n"
                "Prints three lines: the resistance per metre (or \"Incorrect input\"), the copper drop and the\n"
                "aluminium drop. Example: velkaro drop --awg 14 --current 10 --length 25");
    auto fields = std::make_shared<FieldOptions>();
    fields->add(cmd, "--awg", "m_cAWGNum", "Wire gauge, AWG (opening text 18)");
    fields->add(cmd, "--current", "m_cCurrent", "Current, amperes (opening text 5)");
    fields->add(cmd, "--length", "m_cLength", "Cable length one way, metres (opening text 10)");
    cmd->callback([fields] {
        auto screen = openScreen<InfoWiresVoltageDrop>("InfoWiresVoltageDrop");
        fields->typeInto(*screen);
        std::cout << screen->m_cResult1.text() << '\n'
                  << screen->m_cResult2.text() << '\n'
                  << screen->m_cResult3.text() << '\n';
    });
}
