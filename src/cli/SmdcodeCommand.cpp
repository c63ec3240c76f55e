#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/bench/SmdEncoder.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addSmdcodeCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("smdcode", "SMD resistor markings for a value: three digits, four digits, EIA-96");
    cmd->footer("VALUE in ohms as engineers write it: 4k7, 4.75k, R47. A form that cannot hold the value\n"
                "shows \"none\" (null in JSON). Example: velkaro smdcode 10k");
    struct Options {
        std::string text;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("VALUE", o->text, "The resistance")->required();
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        const double ohms = bench::value(o->text, Unit::Ohm);
        const auto three = SmdEncoder::threeDigit(ohms), four = SmdEncoder::fourDigit(ohms), eia = SmdEncoder::eia96(ohms);
        if (!three && !four && !eia)
            throw UsageError(engineering(ohms, Unit::Ohm, 15) +
                             " has no SMD marking: codes hold three significant digits from 0.001 Ω to 999 MΩ");
        auto orNull = [](const std::optional<std::string>& s) { return s ? nlohmann::ordered_json(*s) : nlohmann::ordered_json(); };
        if (o->json) {
            bench::printJson({{"value", ohms}, {"three_digit", orNull(three)}, {"four_digit", orNull(four)},
                              {"eia96", orNull(eia)}});
            return;
        }
        std::cout << "Three digits: " << three.value_or("none") << "\nFour digits: " << four.value_or("none")
                  << "\nEIA-96: " << eia.value_or("none") << '\n';
    });
}
