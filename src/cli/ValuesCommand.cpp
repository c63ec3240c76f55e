#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "core/decoders/StandardValues.h"

void addValuesCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("values", "Standard resistor values next to a resistance");
    cmd->footer(
        "RESISTANCE in ohms as engineers write it (4700, 4k7, 4.7k), 1 ohm to 10 Mohm. The answer is the first\n"
        "value of the screen's list for that decade that is not below it, and the list value before that (E24\n"
        "values; below 1 kohm the list lacks 4 to 9, 16, 18, 300 and 360). Example: velkaro values 4700");
    struct Options {
        std::vector<std::string> texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("RESISTANCE", o->texts, "The resistance");
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        if (o->texts.size() != 1)
            throw UsageError("give exactly one RESISTANCE (e.g. velkaro values 4700), got " +
                             std::to_string(o->texts.size()));
        const double ohms = bench::value(o->texts.front(), Unit::Ohm);
        const auto nearest = StandardValues::around(ohms);
        if (!nearest) throw ResultError(StandardValues::kIncorrect);
        const std::string text = StandardValues::text(*nearest);
        if (o->json) {
            auto values = nearest->exact() ? nlohmann::ordered_json::array({nearest->upper})
                                           : nlohmann::ordered_json::array({nearest->lower, nearest->upper});
            bench::printJson({{"value", ohms}, {"unit", "ohm"}, {"nearest", values}, {"text", text}});
            return;
        }
        std::cout << text << '\n';
    });
}
