#include <cstdio>
#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/ConductorSpacing.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"
#include "cli/UsageError.h"

namespace {

std::string millimetres(double metres) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", metres * 1e3);
    return buf;
}

void printTable(bool json) {
    const auto& names = ConductorSpacing::classNames();
    if (json) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const auto& row : ConductorSpacing::rows()) {
            nlohmann::ordered_json r = {{"up_to", row.upTo}};
            for (size_t i = 0; i < names.size(); ++i) r[names[i]] = row.spacing[i];
            rows.push_back(r);
        }
        nlohmann::ordered_json perVolt;
        for (size_t i = 0; i < names.size(); ++i) perVolt[names[i]] = ConductorSpacing::perVoltAbove500()[i];
        bench::printJson({{"rows", rows}, {"per_volt_above_500", perVolt}});
        return;
    }
    std::cout << "Volts     ";
    for (const char* n : names) std::printf("%8s", n);
    std::cout << "   (mm)\n";
    double from = 0;
    for (const auto& row : ConductorSpacing::rows()) {
        std::printf("%4g-%-4g ", from, row.upTo);
        for (double s : row.spacing) std::printf("%8s", millimetres(s).c_str());
        std::cout << '\n';
        from = row.upTo + 1;
    }
    std::cout << ">500/V   ";
    for (double s : ConductorSpacing::perVoltAbove500()) std::printf("%8s", millimetres(s).c_str());
    std::cout << '\n';
    for (size_t i = 0; i < names.size(); ++i) std::cout << names[i] << ": " << ConductorSpacing::classDescriptions()[i] << '\n';
}

}  // namespace

void addSpacingCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("spacing", "Least conductor spacing for a voltage (IPC-2221)");
    cmd->footer("Classes: B1 internal; B2 external uncoated to 3050 m; B3 above 3050 m; B4 with permanent polymer\n"
                "coating; A5 conformal coating over the assembly; A6 component leads uncoated; A7 component\n"
                "leads with conformal coating. Above 500 V each class adds its own spacing per volt.\n"
                "Example: velkaro spacing --voltage 230 --class B2");
    struct Options {
        std::string voltage, cls = "B2";
        bool table = false, json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--voltage", o->voltage, "DC or AC peak voltage between the conductors");
    cmd->add_option("--class", o->cls, "B1, B2, B3, B4, A5, A6 or A7")->capture_default_str();
    cmd->add_flag("--table", o->table, "Print the whole table");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        if (o->table) return printTable(o->json);
        if (o->voltage.empty()) throw UsageError("--voltage: give the voltage, or --table");
        const auto index = ConductorSpacing::classNamed(o->cls);
        if (!index) throw UsageError("--class: '" + o->cls + "' is not a class: use B1, B2, B3, B4, A5, A6 or A7");
        const double volts = bench::value("--voltage", o->voltage, Unit::Volt);
        std::string error;
        const auto s = ConductorSpacing::spacing(volts, *index, &error);
        pcbcli::require(s.has_value(), error);
        const char* name = ConductorSpacing::classNames()[static_cast<size_t>(*index)];
        if (o->json) return bench::printJson({{"voltage", volts}, {"class", name}, {"spacing", *s}});
        std::cout << "Spacing: " << engineering(*s, Unit::Metre) << " (" << name << ", "
                  << ConductorSpacing::classDescriptions()[static_cast<size_t>(*index)] << ")\n";
    });
}
