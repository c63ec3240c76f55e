#include <iostream>
#include <memory>

#include "core/bench/ESeries.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addEseriesCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("eseries", "Standard values (E3 … E192) just below, above and nearest a value");
    cmd->footer("VALUE as engineers write it: 4700, 4.7k, 4k7, R47, 100nF, 2u2H (a bare number is ohms).\n"
                "Example: velkaro eseries 5.14 --series E96");
    struct Options {
        std::string text, series = "E24";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("VALUE", o->text, "The value")->required();
    bench::addSeriesOption(cmd, o->series);
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        const ESeries& s = bench::series(o->series);
        const Quantity q = bench::anyComponentValue(o->text);
        // No series value is nearest to zero: every one is infinitely far from it, relatively.
        if (q.value <= 0)
            throw UsageError(engineering(q.value, q.unit) + " has no nearest standard value: give a value above zero");
        const auto n = s.around(q.value, ESeries::smallest(q.unit));
        if (o->json) {
            bench::printJson({{"series", s.name()},
                              {"value", q.value},
                              {"unit", unitName(q.unit)},
                              {"below", n.below ? nlohmann::ordered_json(*n.below) : nlohmann::ordered_json()},
                              {"above", n.above},
                              {"nearest", n.nearest},
                              {"error_percent", n.errorPercent}});
            return;
        }
        std::cout << "Series: " << s.name() << "\nBelow: " << (n.below ? engineering(*n.below, q.unit) : "none")
                  << "\nAbove: " << engineering(n.above, q.unit) << "\nNearest: " << engineering(n.nearest, q.unit)
                  << " (" << signedPercent(n.errorPercent) << ")\n";
    });
}
