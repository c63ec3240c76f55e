#include <iostream>
#include <memory>

#include "core/bench/ESeries.h"
#include "core/pcb/Attenuator.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"
#include "cli/UsageError.h"

namespace {

nlohmann::ordered_json asJson(const Attenuator::Network& n, bool exact) {
    nlohmann::ordered_json out = {{"r1", n.r1}, {"r2", n.r2}, {"r3", n.r3}, {"db", n.db}, {"zin", n.zinSeen},
                                  {"zout", n.zoutSeen}};
    // A perfect match's return loss is infinite, which JSON cannot carry.
    if (!exact) out["return_loss"] = n.returnLoss;
    return out;
}

std::string describe(const Attenuator::Network& n) {
    return "R1 " + engineering(n.r1, Unit::Ohm) + ", R2 " + engineering(n.r2, Unit::Ohm) + ", R3 " +
           engineering(n.r3, Unit::Ohm);
}

}  // namespace

void addAttenuatorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("attenuator", "Resistors of a pi, T or bridged-T pad, or a resistive splitter");
    cmd->footer("TYPE: pi (R1, R3 shunt at input and output, R2 series), t (R1, R3 series, R2 shunt), bridged-t\n"
                "(R1 bridge, R2 shunt, R3 each series arm), splitter (three arms of Z0/3, 6 dB). Pi and T pads may\n"
                "join unequal impedances (--zin, --zout). The nearest series values are given with the attenuation\n"
                "and match they give. Example: velkaro attenuator pi --db 10 --z0 50");
    struct Options {
        std::string type, db, z0 = "50", zin, zout, series = "E24";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("TYPE", o->type, "pi, t, bridged-t or splitter")
        ->required()
        ->check(CLI::IsMember({"pi", "t", "bridged-t", "splitter"}));
    cmd->add_option("--db", o->db, "Attenuation in dB");
    cmd->add_option("--z0", o->z0, "Impedance of both ends")->capture_default_str();
    cmd->add_option("--zin", o->zin, "Input impedance (pi and T)");
    cmd->add_option("--zout", o->zout, "Output impedance (pi and T)");
    bench::addSeriesOption(cmd, o->series);
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        Attenuator::Query q;
        q.kind = *Attenuator::kindNamed(o->type);
        if (q.kind == Attenuator::Kind::Splitter) {
            if (!o->db.empty()) throw UsageError("--db: a resistive splitter's loss is fixed at 6 dB");
        } else {
            if (o->db.empty()) throw UsageError("--db: give the attenuation");
            q.db = bench::value("--db", o->db, Unit::None);
        }
        const double z0 = bench::value("--z0", o->z0, Unit::Ohm);
        q.zin = o->zin.empty() ? z0 : bench::value("--zin", o->zin, Unit::Ohm);
        q.zout = o->zout.empty() ? z0 : bench::value("--zout", o->zout, Unit::Ohm);
        q.series = &bench::series(o->series);
        std::string error;
        auto r = Attenuator::design(q, &error);
        pcbcli::require(r.has_value(), error);
        if (o->json) {
            nlohmann::ordered_json out = asJson(r->exact, true);
            out["nearest"] = asJson(r->nearest, false);
            return bench::printJson(out);
        }
        const auto& n = r->nearest;
        std::cout << "Exact: " << describe(r->exact) << "\nNearest (" << q.series->name() << "): " << describe(n)
                  << "\nAttenuation: " << pcbcli::plain(n.db) << " dB\nInput: "
                  << engineering(n.zinSeen, Unit::Ohm) << " (return loss " << pcbcli::plain(n.returnLoss)
                  << " dB)\nOutput: " << engineering(n.zoutSeen, Unit::Ohm) << '\n';
    });
}
