#include <iostream>
#include <memory>

#include "core/bench/CombinationFinder.h"
#include "core/bench/ESeries.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

namespace {

nlohmann::ordered_json asJson(const CombinationFinder::Combination& c) {
    return {{"values", c.values}, {"arrangement", c.arrangement}, {"result", c.result},
            {"error_percent", c.errorPercent}};
}

}  // namespace

void addCombineCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("combine", "Standard resistors that make a resistance: one, two, or three");
    cmd->footer("VALUE in ohms as engineers write it (4k7, 5.14, 1M2). Gives the nearest single value, the best\n"
                "two in series, two in parallel, and three in any series/parallel arrangement.\n"
                "Example: velkaro combine 5.14 --series E12");
    struct Options {
        std::string text, series = "E24";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("VALUE", o->text, "The resistance")->required();
    bench::addSeriesOption(cmd, o->series);
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        const ESeries& s = bench::series(o->series);
        std::string error;
        auto found = CombinationFinder::find(bench::value(o->text, Unit::Ohm), s, &error);
        if (!found) throw UsageError(error);
        if (o->json) {
            bench::printJson({{"single", asJson(found->single)}, {"series", asJson(found->series)},
                              {"parallel", asJson(found->parallel)}, {"three", asJson(found->three)}});
            return;
        }
        std::cout << "Single: " << CombinationFinder::describe(found->single) << "\nSeries: " << CombinationFinder::describe(found->series)
                  << "\nParallel: " << CombinationFinder::describe(found->parallel) << "\nThree: " << CombinationFinder::describe(found->three) << '\n';
    });
}
