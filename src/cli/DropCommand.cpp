#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/OptionReader.h"
#include "cli/UsageError.h"
#include "core/calculators/VoltageDrop.h"

void addDropCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("drop", "Wire voltage drop along a two-wire copper or aluminium cable");
    cmd->footer(
        "Copper drop = resistance per metre of the gauge x 2 x length x current (both conductors count); the\n"
        "aluminium drop is the copper drop x 1.5428572 (54/35). The gauge must be typed exactly as listed:\n"
        "0000, 000, 00, 0, 1 ... 40. Prints three lines: the resistance per metre, the copper drop and the\n"
        "aluminium drop. Example: velkaro drop --awg 14 --current 10 --length 25");
    struct Options {
        VoltageDrop::Texts texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    addTextOption(cmd, "--awg", o->texts.gauge, "Wire gauge, AWG (default 18)")->type_name("GAUGE");
    addTextOption(cmd, "--current", o->texts.amps, "Current, amperes (default 5)")->type_name("A");
    addTextOption(cmd, "--length", o->texts.metres, "Cable length one way, metres (default 10)")->type_name("M");
    bench::addJsonFlag(cmd, o->json,
                       "Print one JSON object: awg, current_a, length_m, ohm_per_m, copper_v, aluminium_v");
    cmd->callback([o] {
        const float amps = static_cast<float>(OptionReader::read("--current", o->texts.amps, Measure::Amperes));
        const float metres = static_cast<float>(OptionReader::read("--length", o->texts.metres, Measure::Metres));
        const auto result = VoltageDrop::compute(o->texts.gauge, amps, metres);
        if (!result)
            throw UsageError("--awg: '" + o->texts.gauge + "' is not a gauge (write 0000, 000, 00, 0 or 1 to 40)");
        if (o->json) {
            bench::printJson({{"awg", o->texts.gauge},
                              {"current_a", bench::decimal(amps)},
                              {"length_m", bench::decimal(metres)},
                              {"ohm_per_m", std::stod(result->ohmsPerMetre)},
                              {"copper_v", bench::decimal(result->copper)},
                              {"aluminium_v", bench::decimal(result->aluminium)}});
            return;
        }
        const auto lines = VoltageDrop::lines(result);
        std::cout << lines.resistance << '\n' << lines.copper << '\n' << lines.aluminium << '\n';
    });
}
