#include <iostream>
#include <memory>

#include "core/bench/BandEncoder.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addBandsCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("bands", "Colour bands for a resistor (3 to 6 bands) or an inductor");
    cmd->footer("VALUE as engineers write it: 4k7, 4.75k, 2R2 (ohms), or 4u7 with --inductor (henries).\n"
                "Tolerances: brown 1, red 2, green 0.5, blue 0.25, violet 0.1, grey 0.05, gold 5, silver 10, none 20.\n"
                "Temperature coefficients (6 bands): 250, 100, 50, 25, 20, 15, 10, 5, 1 ppm/K.\n"
                "Example: velkaro bands 4.75k --bands 5");
    struct Options {
        std::string text, tolerance;
        int bands = 4;
        int tcr = 0;
        bool inductor = false, json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("VALUE", o->text, "The value")->required();
    auto* bandsOption = cmd->add_option("--bands", o->bands, "3, 4, 5 or 6 (resistors)")->capture_default_str();
    cmd->add_option("--tolerance", o->tolerance, "Tolerance in percent (default 5 for 4 bands, 1 for 5 and 6)");
    auto* tcrOption = cmd->add_option("--tcr", o->tcr, "Temperature coefficient in ppm/K (6 bands; default 100)");
    cmd->add_flag("--inductor", o->inductor, "Inductor bands: digit, digit, multiplier of µH, tolerance");
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o, bandsOption, tcrOption] {
        const std::optional<double> tolerance =
            o->tolerance.empty() ? std::nullopt : std::optional(bench::percent(o->tolerance));
        std::string error;
        std::optional<std::vector<std::string>> bands;
        double value = 0;
        if (o->inductor) {
            if (bandsOption->count() && o->bands != 4) throw UsageError("inductors have 4 bands");
            if (tcrOption->count()) throw UsageError("inductors have no temperature coefficient band");
            value = bench::value(o->text, Unit::Henry);
            bands = BandEncoder::inductor(value, tolerance, &error);
        } else {
            value = bench::value(o->text, Unit::Ohm);
            bands = BandEncoder::resistor(value, o->bands, tolerance,
                                          tcrOption->count() ? std::optional(o->tcr) : std::nullopt, &error);
        }
        if (!bands) throw UsageError(error);
        if (o->json) {
            // The inputs as asked (null: the form's default), then the bands.
            bench::printJson({{"value", value},
                              {"inductor", o->inductor},
                              {"band_count", bands->size()},
                              {"tolerance_percent", tolerance ? nlohmann::ordered_json(*tolerance) : nlohmann::ordered_json()},
                              {"tcr_ppm", tcrOption->count() ? nlohmann::ordered_json(o->tcr) : nlohmann::ordered_json()},
                              {"bands", *bands}});
            return;
        }
        std::string line;
        for (const auto& b : *bands) line += (line.empty() ? "" : " ") + b;
        std::cout << line << '\n';
    });
}
