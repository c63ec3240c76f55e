#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/TrackWidth.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"

void addTrackwidthCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("trackwidth", "Board track width for a current, or the current of a width (IPC-2221)");
    cmd->footer("I = k × ΔT^0.44 × A^0.725 (A in mil², k = 0.048 outer, 0.024 inner layers). The resistance, drop\n"
                "and loss are for --length of track at ambient + rise.\n"
                "Example: velkaro trackwidth --current 2 --rise 10 --copper-oz 1 --length 50mm");
    struct Options {
        std::string current, width, rise = "10", thickness = "35um", ounces, length = "0", ambient = "25";
        bool internal = false, json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--current", o->current, "Current (gives the width)");
    cmd->add_option("--width", o->width, "Track width (gives the current)");
    cmd->add_option("--rise", o->rise, "Temperature rise, °C")->capture_default_str();
    pcbcli::addCopperOptions(cmd, o->thickness, o->ounces);
    cmd->add_flag("--internal", o->internal, "An inner layer");
    cmd->add_option("--length", o->length, "Track length, for resistance, drop and loss")->capture_default_str();
    cmd->add_option("--ambient", o->ambient, "Ambient temperature, °C")->capture_default_str();
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        TrackWidth::Query q;
        q.current = pcbcli::optional("--current", o->current, Unit::Ampere);
        q.width = pcbcli::optional("--width", o->width, Unit::Metre);
        q.rise = bench::value("--rise", o->rise, Unit::Celsius);
        q.thickness = pcbcli::copperThickness(o->thickness, o->ounces);
        q.internal = o->internal;
        q.length = bench::value("--length", o->length, Unit::Metre);
        q.ambient = bench::value("--ambient", o->ambient, Unit::Celsius);
        std::string error;
        auto r = TrackWidth::compute(q, &error);
        pcbcli::require(r.has_value(), error);
        if (o->json) {
            bench::printJson({{"width", r->width}, {"current", r->current}, {"area", r->area},
                              {"resistance", r->resistance}, {"drop", r->drop}, {"loss", r->loss}});
            return;
        }
        std::cout << "Width: " << engineering(r->width, Unit::Metre) << " (" << pcbcli::plain(r->width / 25.4e-6)
                  << " mil)\nCurrent: " << engineering(r->current, Unit::Ampere)
                  << "\nCross-section: " << pcbcli::plain(r->area * 1e6) << " mm²\n";
        if (q.length > 0)
            std::cout << "Resistance: " << engineering(r->resistance, Unit::Ohm) << "\nVoltage drop: "
                      << engineering(r->drop, Unit::Volt) << "\nPower loss: " << engineering(r->loss, Unit::Watt) << '\n';
    });
}
