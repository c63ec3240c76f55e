#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/Fusing.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"
#include "cli/UsageError.h"

void addFusingCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("fusing", "The current that melts a copper conductor in a time, or the time (Onderdonk)");
    cmd->footer("I = A √(log10(1 + (1083 − Ta)/(234 + Ta)) / (33 t)), A in circular mils: no heat is lost, so it\n"
                "holds for short times. The cross-section is --area (mm²), or --width × --thickness (or --copper-oz).\n"
                "Example: velkaro fusing --width 0.25mm --copper-oz 1 --time 1");
    struct Options {
        std::string area, width, thickness = "35um", ounces, time, current, ambient = "25";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--area", o->area, "Cross-section in mm²");
    cmd->add_option("--width", o->width, "Track width (with --thickness or --copper-oz)");
    pcbcli::addCopperOptions(cmd, o->thickness, o->ounces);
    cmd->add_option("--time", o->time, "Time, seconds (gives the current)");
    cmd->add_option("--current", o->current, "Current (gives the time)");
    cmd->add_option("--ambient", o->ambient, "Ambient temperature, °C")->capture_default_str();
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        if (o->area.empty() == o->width.empty()) throw UsageError("--area: give the area or the width, not both");
        Fusing::Query q;
        q.area = o->area.empty() ? bench::value("--width", o->width, Unit::Metre) *
                                       pcbcli::copperThickness(o->thickness, o->ounces)
                                 : bench::value("--area", o->area, Unit::None) * 1e-6;
        q.time = pcbcli::optional("--time", o->time, Unit::Second);
        q.current = pcbcli::optional("--current", o->current, Unit::Ampere);
        q.ambient = bench::value("--ambient", o->ambient, Unit::Celsius);
        std::string error;
        auto r = Fusing::compute(q, &error);
        pcbcli::require(r.has_value(), error);
        if (o->json) return bench::printJson({{"area", q.area}, {"current", r->current}, {"time", r->time}});
        std::cout << "Fusing current: " << engineering(r->current, Unit::Ampere) << "\nTime: "
                  << engineering(r->time, Unit::Second) << '\n';
    });
}
