#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/Via.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"

void addViaCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("via", "A plated via's resistance, current, thermal resistance, capacitance, inductance");
    cmd->footer("The barrel (finished hole, plating --thickness, board --length) carries the current of IPC-2221's\n"
                "heating rule for its cross-section; C = 1.41 εr T D1/(D2 − D1) pF and L = 5.08 h (ln(4h/d) + 1) nH\n"
                "(Johnson and Graham, inches). Example: velkaro via --hole 0.3mm --length 1.6mm --current 1");
    struct Options {
        std::string hole = "0.3mm", thickness = "25um", length = "1.6mm", pad = "0.6mm", clearance = "1mm",
                    er = "4.4", rise = "10", ambient = "25", current;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--hole", o->hole, "Finished hole diameter")->capture_default_str();
    cmd->add_option("--thickness", o->thickness, "Plating thickness")->capture_default_str();
    cmd->add_option("--length", o->length, "Via length (board thickness)")->capture_default_str();
    cmd->add_option("--pad", o->pad, "Pad diameter")->capture_default_str();
    cmd->add_option("--clearance", o->clearance, "Clearance (antipad) diameter in the planes")->capture_default_str();
    cmd->add_option("--er", o->er, "Relative permittivity of the board")->capture_default_str();
    cmd->add_option("--rise", o->rise, "Temperature rise for the current, °C")->capture_default_str();
    cmd->add_option("--ambient", o->ambient, "Ambient temperature, °C")->capture_default_str();
    cmd->add_option("--current", o->current, "Current, for the voltage drop and loss");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        Via::Query q;
        q.hole = bench::value("--hole", o->hole, Unit::Metre);
        q.plating = bench::value("--thickness", o->thickness, Unit::Metre);
        q.length = bench::value("--length", o->length, Unit::Metre);
        q.pad = bench::value("--pad", o->pad, Unit::Metre);
        q.clearance = bench::value("--clearance", o->clearance, Unit::Metre);
        q.er = bench::value("--er", o->er, Unit::None);
        q.rise = bench::value("--rise", o->rise, Unit::Celsius);
        q.ambient = bench::value("--ambient", o->ambient, Unit::Celsius);
        q.current = pcbcli::optional("--current", o->current, Unit::Ampere);
        std::string error;
        auto r = Via::compute(q, &error);
        pcbcli::require(r.has_value(), error);
        if (o->json) {
            nlohmann::ordered_json out = {{"area", r->area}, {"resistance", r->resistance}, {"current", r->current},
                                          {"thermal_resistance", r->thermalResistance},
                                          {"capacitance", r->capacitance}, {"inductance", r->inductance}};
            if (q.current) out["drop"] = r->drop, out["loss"] = r->loss;
            bench::printJson(out);
            return;
        }
        std::cout << "Resistance: " << engineering(r->resistance, Unit::Ohm) << "\nCurrent for "
                  << engineering(q.rise, Unit::Celsius) << " rise: " << engineering(r->current, Unit::Ampere)
                  << "\nThermal resistance: " << pcbcli::plain(r->thermalResistance) << " °C/W"
                  << "\nCapacitance: " << engineering(r->capacitance, Unit::Farad)
                  << "\nInductance: " << engineering(r->inductance, Unit::Henry) << '\n';
        if (q.current)
            std::cout << "Voltage drop: " << engineering(r->drop, Unit::Volt) << "\nPower loss: "
                      << engineering(r->loss, Unit::Watt) << '\n';
    });
}
