#include <iostream>
#include <memory>

#include "core/bench/CapacitorEncoder.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addCapcodeCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("capcode", "The three-digit capacitor code for a value, with a tolerance letter");
    cmd->footer("VALUE in farads as engineers write it: 100n, 4n7, 4.7pF, 1u. The code is two digits of picofarads\n"
                "and a multiplier digit m (times 10^m; 9 is x0.1, 8 x0.01): 0.1 pF (108) to 990 µF (997).\n"
                "--tolerance takes a letter (B C D E F G H J K M N P Z) or a percentage (10 → K).\n"
                "Example: velkaro capcode 100n --tolerance 10");
    struct Options {
        std::string text, tolerance;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("VALUE", o->text, "The capacitance")->required();
    auto* tolerance = cmd->add_option("--tolerance", o->tolerance, "Tolerance letter or percentage");
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o, tolerance] {
        const double farads = bench::value(o->text, Unit::Farad);
        std::string error;
        auto code = CapacitorEncoder::code(
            farads, tolerance->count() ? std::optional(o->tolerance) : std::nullopt, &error);
        if (!code) throw UsageError(error);
        if (o->json) bench::printJson({{"value", farads}, {"code", *code}});
        else std::cout << *code << '\n';
    });
}
