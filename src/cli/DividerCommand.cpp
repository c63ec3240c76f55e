#include <iostream>
#include <memory>

#include "core/bench/DividerFinder.h"
#include "core/bench/ESeries.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

namespace {

nlohmann::ordered_json asJson(const DividerFinder::Divider& d) {
    return {{"r1", d.r1}, {"r2", d.r2}, {"vout", d.vout}, {"error_percent", d.errorPercent}};
}

}  // namespace

void addDividerCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("divider", "The two standard resistors of a voltage divider for an output voltage");
    cmd->footer("Vout = Vin × R2 / (R1 + R2), R1 from the input to the output, R2 from the output to ground\n"
                "(with --load, R2 in parallel with the load). Every pair of series values whose total lies in\n"
                "the range is tried; the best is given with the four next-best ratios as alternatives.\n"
                "Example: velkaro divider --vin 12 --vout 3.3 --series E96");
    struct Options {
        std::string vin, vout, series = "E24", load, minTotal = "1k", maxTotal = "1M";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--vin", o->vin, "Input voltage")->required();
    cmd->add_option("--vout", o->vout, "Wanted output voltage")->required();
    bench::addSeriesOption(cmd, o->series);
    cmd->add_option("--load", o->load, "Load on the output, ohms");
    cmd->add_option("--min-total", o->minTotal, "R1 + R2 at least, ohms")->capture_default_str();
    cmd->add_option("--max-total", o->maxTotal, "R1 + R2 at most, ohms")->capture_default_str();
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        DividerFinder::Query q;
        q.vin = bench::value("--vin", o->vin, Unit::Volt);
        q.vout = bench::value("--vout", o->vout, Unit::Volt);
        q.series = &bench::series(o->series);
        if (!o->load.empty()) q.load = bench::value("--load", o->load, Unit::Ohm);
        q.minTotal = bench::value("--min-total", o->minTotal, Unit::Ohm);
        q.maxTotal = bench::value("--max-total", o->maxTotal, Unit::Ohm);
        std::string error;
        auto found = DividerFinder::find(q, &error);
        if (!found) throw UsageError(error);
        const auto& best = found->front();
        if (o->json) {
            nlohmann::ordered_json out = {{"vin", q.vin},
                                          {"wanted_vout", q.vout},
                                          {"series", q.series->name()},
                                          {"load", q.load ? nlohmann::ordered_json(*q.load) : nlohmann::ordered_json()},
                                          {"min_total", q.minTotal},
                                          {"max_total", q.maxTotal}};
            out.update(asJson(best));
            out["alternatives"] = nlohmann::ordered_json::array();
            for (size_t i = 1; i < found->size(); ++i) out["alternatives"].push_back(asJson((*found)[i]));
            bench::printJson(out);
            return;
        }
        std::cout << "Best: " << DividerFinder::describe(best) << '\n';
        for (size_t i = 1; i < found->size(); ++i) std::cout << "Alternative: " << DividerFinder::describe((*found)[i]) << '\n';
    });
}
