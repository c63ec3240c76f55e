#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/CableSize.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"
#include "cli/UsageError.h"

namespace {

std::string squareMillimetres(double area) { return pcbcli::plain(area * 1e6) + " mm²"; }

}  // namespace

void addCableCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("cable", "A cable's resistance, drop and loss by AWG or mm², and the size for a drop");
    cmd->footer("The current goes out and back along --length, so the loop is twice the length. --max-drop gives the\n"
                "thinnest AWG and the smallest IEC 60228 size within it.\n"
                "Example: velkaro cable --awg 14 --length 10 --current 5 --max-drop 0.5");
    struct Options {
        std::string awg, area, length, current = "0", material = "copper", temperature = "20", maxDrop;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--awg", o->awg, "Gauge: 40 … 0, 00 … 0000 (or 2/0 … 4/0)");
    cmd->add_option("--area", o->area, "Cross-section of one conductor in mm²");
    cmd->add_option("--length", o->length, "Cable length (one way)")->required();
    cmd->add_option("--current", o->current, "Current")->capture_default_str();
    cmd->add_option("--material", o->material, "copper or aluminium")
        ->check(CLI::IsMember({"copper", "aluminium", "aluminum"}))
        ->capture_default_str();
    cmd->add_option("--temperature", o->temperature, "Conductor temperature, °C")->capture_default_str();
    cmd->add_option("--max-drop", o->maxDrop, "Largest voltage drop allowed: gives the smallest sizes");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        if (o->awg.empty() == o->area.empty()) throw UsageError("--awg: give the gauge or --area, not both");
        CableSize::Query q;
        if (!o->awg.empty()) {
            const auto gauge = CableSize::awgNamed(o->awg);
            if (!gauge) throw UsageError("--awg: '" + o->awg + "' is not a gauge from 0000 to 40");
            q.area = CableSize::awgArea(*gauge);
        } else {
            q.area = bench::value("--area", o->area, Unit::None) * 1e-6;
        }
        q.length = bench::value("--length", o->length, Unit::Metre);
        q.current = bench::value("--current", o->current, Unit::Ampere);
        q.material = o->material == "copper" ? &conductor::kCopper : &conductor::kAluminium;
        q.temperature = bench::value("--temperature", o->temperature, Unit::Celsius);
        q.maxDrop = pcbcli::optional("--max-drop", o->maxDrop, Unit::Volt);
        std::string error;
        auto r = CableSize::compute(q, &error);
        pcbcli::require(r.has_value(), error);
        if (o->json) {
            nlohmann::ordered_json out = {{"area", r->area}, {"resistance", r->resistance}, {"drop", r->drop},
                                          {"loss", r->loss}, {"current_density", r->currentDensity},
                                          {"awg", CableSize::awgName(r->nearestAwg)}, {"metric", r->nearestMetric}};
            if (q.maxDrop) {
                out["smallest_awg"] = r->smallestAwg ? nlohmann::ordered_json(CableSize::awgName(*r->smallestAwg))
                                                     : nlohmann::ordered_json();
                out["smallest_metric"] = r->smallestMetric ? nlohmann::ordered_json(*r->smallestMetric)
                                                           : nlohmann::ordered_json();
            }
            return bench::printJson(out);
        }
        std::cout << "Cross-section: " << squareMillimetres(r->area) << " (nearest AWG " << CableSize::awgName(r->nearestAwg)
                  << ", metric " << squareMillimetres(r->nearestMetric) << ")\nLoop resistance: "
                  << engineering(r->resistance, Unit::Ohm) << "\nVoltage drop: " << engineering(r->drop, Unit::Volt)
                  << "\nPower loss: " << engineering(r->loss, Unit::Watt) << "\nCurrent density: "
                  << pcbcli::plain(r->currentDensity * 1e-6) << " A/mm²\n";
        if (q.maxDrop)
            std::cout << "Smallest AWG: " << (r->smallestAwg ? CableSize::awgName(*r->smallestAwg) : "none")
                      << "\nSmallest metric: " << (r->smallestMetric ? squareMillimetres(*r->smallestMetric) : "none")
                      << '\n';
    });
}
