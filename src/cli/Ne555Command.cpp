#include <iostream>
#include <memory>

#include "calculators/InfoNE555View.h"
#include "cli/Commands.h"
#include "cli/FieldOptions.h"
#include "cli/ScreenRunner.h"

void addNe555Command(CLI::App& app) {
    auto* cmd = app.add_subcommand("ne555", "NE555 timer: monostable pulse, astable times and frequency");
    cmd->footer("Resistances in kilo-ohms and capacitances in microfarads (their product is milliseconds).\n"
                "Prints three lines: the monostable pulse, the astable times t1 and t2, the astable frequency.\n"
                "Example: velkaro ne555 --c1 100 --r1 10 --c2 0.1 --ra 1 --rb 2");
    auto fields = std::make_shared<FieldOptions>();
    fields->add(cmd, "--c1", "m_cDataC1", "Monostable capacitor C, uF (opening text 10)");
    fields->add(cmd, "--r1", "m_cDataR1", "Monostable resistor R, kOhm (opening text 1)");
    fields->add(cmd, "--c2", "m_cDataC2", "Astable capacitor C, uF (opening text 10)");
    fields->add(cmd, "--ra", "m_cDataR2_1", "Astable resistor Ra, kOhm (opening text 1)");
    fields->add(cmd, "--rb", "m_cDataR2_2", "Astable resistor Rb, kOhm (opening text 1)");
    cmd->callback([fields] {
        auto screen = openScreen<InfoNE555View>("InfoNE555View");
        fields->typeInto(*screen);
        std::cout << screen->m_cResults1.text() << '\n'
                  << screen->m_cResults2_1.text() << '\n'
                  << screen->m_cResults2_2.text() << '\n';
    });
}
