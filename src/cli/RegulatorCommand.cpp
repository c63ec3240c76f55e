#include <iostream>
#include <memory>

#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addRegulatorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("regulator", "R2 of an adjustable regulator for an output voltage");
    cmd->footer("Vout = Vref × (1 + R2/R1) + Iadj × R2, R1 from the output to the adjust pin, R2 from the adjust\n"
                "pin to ground. Example: velkaro regulator --vout 5 --series E96");
    struct Options {
        std::string vout, r1 = "240", vref = "1.25", iadj = "50u", series = "E24";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--vout", o->vout, "Wanted output voltage")->required();
    cmd->add_option("--r1", o->r1, "R1, ohms")->capture_default_str();
    cmd->add_option("--vref", o->vref, "Reference voltage")->capture_default_str();
    cmd->add_option("--iadj", o->iadj, "Adjust-pin current, amperes")->capture_default_str();
    bench::addSeriesOption(cmd, o->series);
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        RegulatorFinder::Query q;
        q.vout = bench::value("--vout", o->vout, Unit::Volt);
        q.r1 = bench::value("--r1", o->r1, Unit::Ohm);
        q.vref = bench::value("--vref", o->vref, Unit::Volt);
        q.iadj = bench::value("--iadj", o->iadj, Unit::Ampere);
        q.series = &bench::series(o->series);
        std::string error;
        auto r = RegulatorFinder::find(q, &error);
        if (!r) throw UsageError(error);
        if (o->json) {
            bench::printJson({{"wanted_vout", q.vout}, {"r1", q.r1}, {"vref", q.vref}, {"iadj", q.iadj},
                              {"series", q.series->name()}, {"r2_exact", r->r2Exact}, {"r2", r->r2},
                              {"vout", r->vout}, {"error_percent", r->errorPercent}});
            return;
        }
        std::cout << "R2 exact: " << engineering(r->r2Exact, Unit::Ohm, 5) << "\nR2: " << engineering(r->r2, Unit::Ohm)
                  << "\nVout: " << engineering(r->vout, Unit::Volt, 5) << " (" << signedPercent(r->errorPercent)
                  << ")\n";
    });
}
