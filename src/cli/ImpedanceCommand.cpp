#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/TransmissionLine.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"
#include "cli/UsageError.h"

namespace {

using Kind = TransmissionLine::Kind;

bool onBoard(Kind k) { return k != Kind::Coax && k != Kind::TwistedPair; }

}  // namespace

void addImpedanceCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("impedance", "Characteristic impedance of a line, or its width for an impedance");
    cmd->footer("KIND: microstrip (Hammerstad and Jensen), stripline (Wheeler; --height plane to plane), cpw and gcpw\n"
                "(conformal mapping; --gap the slot), coax (--outer, --inner), twisted-pair (--diameter, --spacing),\n"
                "coupled-microstrip (--gap between the tracks; IPC-2141's Zdiff). Leave out the width (coax: --inner,\n"
                "twisted pair: --diameter) and give --z0 (coupled: --zdiff) to have it found.\n"
                "Example: velkaro impedance microstrip --z0 50 --height 1.6mm --er 4.4 --copper-oz 1");
    struct Options {
        std::string kind, width, height = "1.6mm", thickness = "35um", ounces, er, gap, outer, inner, diameter, spacing,
                    z0, zdiff;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("KIND", o->kind, "microstrip, stripline, cpw, gcpw, coax, twisted-pair, coupled-microstrip")
        ->required()
        ->check(CLI::IsMember({"microstrip", "stripline", "cpw", "gcpw", "coax", "twisted-pair", "coupled-microstrip"}));
    cmd->add_option("--width", o->width, "Track width");
    cmd->add_option("--height", o->height, "Dielectric height (stripline: between the planes)")->capture_default_str();
    pcbcli::addCopperOptions(cmd, o->thickness, o->ounces);
    cmd->add_option("--er", o->er, "Relative permittivity (4.4 on boards, 2.25 in coax, 1 for twisted pair)");
    cmd->add_option("--gap", o->gap, "CPW slot width, or the space between coupled tracks");
    cmd->add_option("--outer", o->outer, "Coax: the shield's inside diameter");
    cmd->add_option("--inner", o->inner, "Coax: the centre conductor's diameter");
    cmd->add_option("--diameter", o->diameter, "Twisted pair: wire diameter");
    cmd->add_option("--spacing", o->spacing, "Twisted pair: centre-to-centre spacing");
    cmd->add_option("--z0", o->z0, "Wanted impedance: gives the width (or diameter)");
    cmd->add_option("--zdiff", o->zdiff, "Coupled microstrip: wanted differential impedance");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        const Kind kind = *TransmissionLine::kindNamed(o->kind);
        TransmissionLine::Geometry g;
        const bool board = onBoard(kind);
        g.er = bench::value("--er", o->er.empty() ? (board ? "4.4" : kind == Kind::Coax ? "2.25" : "1") : o->er,
                             Unit::None);
        if (board) {
            g.height = bench::value("--height", o->height, Unit::Metre);
            g.thickness = pcbcli::copperThickness(o->thickness, o->ounces);
            g.width = pcbcli::optional("--width", o->width, Unit::Metre).value_or(0);
            g.gap = pcbcli::optional("--gap", o->gap, Unit::Metre).value_or(0);
        } else if (kind == Kind::Coax) {
            g.outer = pcbcli::optional("--outer", o->outer, Unit::Metre).value_or(0);
            g.inner = pcbcli::optional("--inner", o->inner, Unit::Metre).value_or(0);
        } else {
            g.diameter = pcbcli::optional("--diameter", o->diameter, Unit::Metre).value_or(0);
            g.spacing = pcbcli::optional("--spacing", o->spacing, Unit::Metre).value_or(0);
        }
        const bool coupled = kind == Kind::CoupledMicrostrip;
        const std::string targetOption = coupled ? "--zdiff" : "--z0";
        if (!(coupled ? o->z0 : o->zdiff).empty())
            throw UsageError((coupled ? "--z0" : "--zdiff") + std::string(": give ") + targetOption + " for " + o->kind);
        const auto target = pcbcli::optional(targetOption.c_str(), coupled ? o->zdiff : o->z0, Unit::Ohm);
        const std::string solvedOption = std::string("--") + TransmissionLine::solvedFor(kind);
        const std::string& solvedText = kind == Kind::Coax ? o->inner : kind == Kind::TwistedPair ? o->diameter : o->width;
        std::string error;
        if (target) {
            if (!solvedText.empty())
                throw UsageError(solvedOption + ": leave it out to have it found for " + targetOption);
            auto found = TransmissionLine::synthesise(kind, g, *target, &error);
            pcbcli::require(found.has_value(), error);
            g = *found;
        }
        auto r = TransmissionLine::analyse(kind, g, &error);
        pcbcli::require(r.has_value(), error);
        const double solved = kind == Kind::Coax ? g.inner : kind == Kind::TwistedPair ? g.diameter : g.width;
        if (o->json) {
            nlohmann::ordered_json out;
            if (target) out[TransmissionLine::solvedFor(kind)] = solved;
            out["z0"] = r->z0;
            out["er_eff"] = r->erEff;
            out["delay"] = r->delay;
            if (r->zDiff) out["z_diff"] = *r->zDiff, out["z_odd"] = *r->zOdd;
            return bench::printJson(out);
        }
        if (target)
            std::cout << (kind == Kind::Coax ? "Inner diameter: " : kind == Kind::TwistedPair ? "Diameter: " : "Width: ")
                      << engineering(solved, Unit::Metre) << '\n';
        std::cout << "Z0: " << engineering(r->z0, Unit::Ohm) << "\nEffective εr: " << pcbcli::plain(r->erEff)
                  << "\nDelay: " << engineering(r->delay, Unit::Second) << "/m\n";
        if (r->zDiff)
            std::cout << "Zdiff: " << engineering(*r->zDiff, Unit::Ohm) << "\nZodd: " << engineering(*r->zOdd, Unit::Ohm)
                      << '\n';
    });
}
