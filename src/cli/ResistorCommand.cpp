#include <iostream>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "cli/WheelRows.h"
#include "core/decoders/ResistorCode.h"

namespace {

const std::vector<std::string> kWheelNames = {"first digit", "second digit", "third digit",
                                              "multiplier",  "tolerance",    "temperature coefficient"};

// What each band of a set of `count` bands stands for, with the colours it takes.
std::vector<BandRole> rolesOf(size_t count) {
    std::vector<BandRole> roles = {{"first digit", digitColours(true)}, {"second digit", digitColours(false)}};
    if (count >= 5) {
        auto third = digitColours(false);
        third.emplace_back("none");
        roles.push_back({"third digit", third});
    }
    roles.push_back({"multiplier", multiplierColours()});
    if (count != 3) roles.push_back({"tolerance", toleranceColours({})});
    if (count == 6) roles.push_back({"temperature coefficient", temperatureCoefficientColours()});
    return roles;
}

}  // namespace

void addResistorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("resistor", "Resistor colour code: decode 3 to 6 colour bands");
    cmd->footer(
        "Bands: 3 = digit digit multiplier (20 %); 4 = + tolerance; 5 = digit digit digit multiplier tolerance;\n"
        "6 = + temperature coefficient. The value is the digits times 10 to the multiplier's power (black 0 …\n"
        "white 9, gold -1, silver -2). Tolerances: brown 1, red 2, green 0.5, blue 0.25, violet 0.1, grey 0.05,\n"
        "gold 5, silver 10, none 20 %. Coefficients: black 250, brown 100, red 50, orange 15, yellow 25, green 20,\n"
        "blue 10, violet 5, grey 1 ppm/K. Colour names in any case, grey or gray.\n"
        "Example: velkaro resistor yellow violet red gold");
    struct Options {
        std::vector<std::string> bands;
        std::string rows;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("bands", o->bands, "Colour names of the bands, in order");
    cmd->add_option("--rows", o->rows, "Wheel rows r0,r1,r2,r3,r4,r5 instead of colour names");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        std::vector<std::string> bands = o->bands;
        if (!o->rows.empty()) {
            if (!bands.empty()) throw UsageError("give either colour bands or --rows, not both");
            bands = wheelRowTexts(o->rows, ResistorCode::wheels(), kWheelNames);
        } else if (bands.size() < 3 || bands.size() > 6) {
            throw UsageError("give 3, 4, 5 or 6 colour bands (got " + std::to_string(bands.size()) +
                             "), or --rows r0,r1,r2,r3,r4,r5");
        }
        const BandReading reading = ResistorCode::decode(bands);
        if (const auto* refusal = std::get_if<BandRefusal>(&reading)) refuseBands(*refusal, bands, rolesOf(bands.size()));
        const BandValue& v = std::get<BandValue>(reading);
        const std::string text = ResistorCode::text(v);
        if (o->json) bench::printJson(bandJson(v.value, "ohm", v.tolerancePercent, v.ppm, text));
        else std::cout << text << '\n';
    });
}
