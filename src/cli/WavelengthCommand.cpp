#include <iostream>
#include <memory>

#include "core/bench/Quantity.h"
#include "core/pcb/Wavelength.h"
#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/PcbArguments.h"

void addWavelengthCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("wavelength", "Wavelength, half and quarter wave and period of a frequency");
    cmd->footer("λ = VF × c / f. Example: velkaro wavelength --frequency 433MHz --velocity-factor 0.66");
    struct Options {
        std::string frequency, velocity = "1";
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("--frequency", o->frequency, "Frequency (100MHz)")->required();
    cmd->add_option("--velocity-factor", o->velocity, "Velocity factor of the medium, 0 to 1")->capture_default_str();
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        std::string error;
        auto r = Wavelength::compute(bench::value("--frequency", o->frequency, Unit::Hertz),
                                     bench::value("--velocity-factor", o->velocity, Unit::None), &error);
        pcbcli::require(r.has_value(), error);
        if (o->json)
            return bench::printJson({{"wavelength", r->wavelength}, {"half", r->half}, {"quarter", r->quarter},
                                     {"period", r->period}});
        std::cout << "Wavelength: " << engineering(r->wavelength, Unit::Metre) << "\nHalf wave: "
                  << engineering(r->half, Unit::Metre) << "\nQuarter wave: " << engineering(r->quarter, Unit::Metre)
                  << "\nPeriod: " << engineering(r->period, Unit::Second) << '\n';
    });
}
