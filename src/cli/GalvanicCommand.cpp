#include <iostream>
#include <memory>

#include "core/pcb/GalvanicSeries.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"

void addGalvanicCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("galvanic", "Whether two metals may touch: their anodic index difference");
    std::string names;
    for (const auto& m : GalvanicSeries::metals()) names += (names.empty() ? "" : ", ") + std::string(m.name);
    cmd->footer("Acceptable up to 0.15 V harsh (outdoors, salt, humidity), 0.25 V normal (sheltered), 0.50 V\n"
                "controlled (conditioned rooms). Metals: " + names + ".\nExample: velkaro galvanic aluminium copper");
    struct Options {
        std::string a, b;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("METAL", o->a, "The first metal")->required();
    cmd->add_option("OTHER", o->b, "The second metal")->required();
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        std::string error;
        auto p = GalvanicSeries::pair(o->a, o->b, &error);
        pcbcli::require(p.has_value(), error);
        if (o->json)
            return bench::printJson({{"anode", p->anode->name}, {"cathode", p->cathode->name},
                                     {"difference", p->difference}, {"harsh", p->harsh}, {"normal", p->normal},
                                     {"controlled", p->controlled}});
        auto yes = [](bool ok) { return ok ? "acceptable" : "not acceptable"; };
        std::cout << "Difference: " << engineering(p->difference, Unit::Volt) << " (" << p->anode->name
                  << " corrodes)\nHarsh: " << yes(p->harsh) << "\nNormal: " << yes(p->normal)
                  << "\nControlled: " << yes(p->controlled) << '\n';
    });
}
