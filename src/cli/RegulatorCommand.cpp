#include <iostream>
#include <memory>

#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"
#include "core/bench/RegulatorSolver.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addRegulatorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("regulator", "R2, R1 or the output of an adjustable regulator");
    cmd->footer("Vout = Vref × (1 + R2/R1) + Iadj × R2, R1 from the output to the adjust pin, R2 from the adjust\n"
                "pin to ground; the standard type's feedback pin draws no current (Iadj = 0).\n"
                "--vout (with --r1): R2. --vout --r2: R1. --r1 --r2: Vout. --tolerance: Vout's range over both\n"
                "resistors' tolerance. Example: velkaro regulator --vout 5 --series E96");
    struct Options {
        std::string vout, r1, r2, vref = "1.25", iadj = "50u", series = "E24", type = "three-terminal", tolerance;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--vout", o->vout, "Wanted output voltage");
    cmd->add_option("--r1", o->r1, "R1, ohms (240 when R2 is asked)");
    cmd->add_option("--r2", o->r2, "R2, ohms: gives R1 with --vout, Vout with --r1");
    cmd->add_option("--vref", o->vref, "Reference voltage")->capture_default_str();
    auto* iadj = cmd->add_option("--iadj", o->iadj, "Adjust-pin current, amperes (three-terminal type)")
                     ->capture_default_str();
    cmd->add_option("--type", o->type, "three-terminal (adjust pin current Iadj) or standard (none)")
        ->check(CLI::IsMember({"three-terminal", "standard"}))
        ->capture_default_str();
    cmd->add_option("--tolerance", o->tolerance, "Resistor tolerance in percent: gives vout_min and vout_max");
    bench::addSeriesOption(cmd, o->series);
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o, iadj] {
        const bool standard = o->type == "standard";
        if (standard && iadj->count() > 0) throw UsageError("--iadj: the standard type has no adjust pin current");
        const RegulatorSolver::Circuit c{bench::value("--vref", o->vref, Unit::Volt),
                                         standard ? 0 : bench::value("--iadj", o->iadj, Unit::Ampere)};
        std::optional<double> tolerance;
        if (!o->tolerance.empty()) tolerance = bench::percent(o->tolerance);
        if (tolerance && !(*tolerance >= 0 && *tolerance < 100))
            throw UsageError("--tolerance: give a percentage from 0 to below 100");
        const ESeries& series = bench::series(o->series);
        nlohmann::ordered_json json;
        double r1 = 0, r2 = 0;
        std::string error;
        if (o->vout.empty()) {  // the output of two resistors
            if (o->r1.empty() || o->r2.empty()) throw UsageError("--vout: give it, or --r1 and --r2 for the output");
            r1 = bench::value("--r1", o->r1, Unit::Ohm);
            r2 = bench::value("--r2", o->r2, Unit::Ohm);
            if (!RegulatorSolver::check(c, r1, r2, &error)) throw UsageError(error);
            const double vout = RegulatorSolver::output(c, r1, r2);
            json = {{"r1", r1}, {"r2", r2}, {"vref", c.vref}, {"iadj", c.iadj}, {"vout", vout}};
            if (!o->json) std::cout << "Vout: " << engineering(vout, Unit::Volt, 5) << '\n';
        } else if (!o->r2.empty()) {  // R1 for the output with R2 chosen
            if (!o->r1.empty()) throw UsageError("--r1: give --vout with --r1 or with --r2, not both");
            const double vout = bench::value("--vout", o->vout, Unit::Volt);
            r2 = bench::value("--r2", o->r2, Unit::Ohm);
            auto r = RegulatorSolver::findR1(c, vout, r2, series, &error);
            if (!r) throw UsageError(error);
            r1 = r->r1;
            json = {{"wanted_vout", vout}, {"r2", r2},          {"vref", c.vref}, {"iadj", c.iadj},
                    {"series", series.name()}, {"r1_exact", r->r1Exact}, {"r1", r->r1}, {"vout", r->vout},
                    {"error_percent", r->errorPercent}};
            if (!o->json)
                std::cout << "R1 exact: " << engineering(r->r1Exact, Unit::Ohm, 5) << "\nR1: " << engineering(r->r1, Unit::Ohm)
                          << "\nVout: " << engineering(r->vout, Unit::Volt, 5) << " (" << signedPercent(r->errorPercent)
                          << ")\n";
        } else {  // R2 for the output
            RegulatorFinder::Query q;
            q.vout = bench::value("--vout", o->vout, Unit::Volt);
            q.r1 = bench::value("--r1", o->r1.empty() ? "240" : o->r1, Unit::Ohm);
            q.vref = c.vref;
            q.iadj = c.iadj;
            q.series = &series;
            auto r = RegulatorFinder::find(q, &error);
            if (!r) throw UsageError(error);
            r1 = q.r1;
            r2 = r->r2;
            json = {{"wanted_vout", q.vout}, {"r1", q.r1},          {"vref", q.vref},   {"iadj", q.iadj},
                    {"series", series.name()}, {"r2_exact", r->r2Exact}, {"r2", r->r2}, {"vout", r->vout},
                    {"error_percent", r->errorPercent}};
            if (!o->json)
                std::cout << "R2 exact: " << engineering(r->r2Exact, Unit::Ohm, 5) << "\nR2: " << engineering(r->r2, Unit::Ohm)
                          << "\nVout: " << engineering(r->vout, Unit::Volt, 5) << " (" << signedPercent(r->errorPercent)
                          << ")\n";
        }
        if (tolerance) {
            const auto s = RegulatorSolver::spread(c, r1, r2, *tolerance);
            json["vout_min"] = s.min;
            json["vout_max"] = s.max;
            if (!o->json)
                std::cout << "Vout range: " << engineering(s.min, Unit::Volt, 5) << " to "
                          << engineering(s.max, Unit::Volt, 5) << '\n';
        }
        if (o->json) bench::printJson(json);
    });
}
