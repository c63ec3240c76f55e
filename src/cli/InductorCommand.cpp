#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "cli/WheelRows.h"
#include "core/decoders/InductorCode.h"

void addInductorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("inductor", "Inductor colour code: decode 3 or 4 colour bands (value in uH, mH or H)");
    cmd->footer(
        "Bands: first digit, second digit, multiplier, tolerance (3 bands: none, 20 %). The value is the digits\n"
        "times 10 to the multiplier's power in microhenries (black 0 … white 9, gold -1, silver -2). Tolerances:\n"
        "black or none 20, silver 10, gold 5, brown 1, red 2, green 0.5, blue 0.25, violet 0.1, grey 0.05 %.\n"
        "Colour names in any case. Example: velkaro inductor yellow violet brown silver");
    struct Options {
        std::vector<std::string> bands;
        std::string rows;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("bands", o->bands, "Colour names of the bands, in order");
    cmd->add_option("--rows", o->rows, "Wheel rows r0,r1,r2,r3 instead of colour names");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o] {
        const std::vector<std::string> wheelNames = {"first digit", "second digit", "multiplier", "tolerance"};
        std::vector<std::string> bands = o->bands;
        if (!o->rows.empty()) {
            if (!bands.empty()) throw UsageError("give either colour bands or --rows, not both");
            bands = wheelRowTexts(o->rows, InductorCode::wheels(), wheelNames);
        } else if (bands.size() != 3 && bands.size() != 4) {
            throw UsageError("give 3 or 4 colour bands (got " + std::to_string(bands.size()) +
                             "): first digit, second digit, multiplier, tolerance; or --rows r0,r1,r2,r3");
        }
        const BandReading reading = InductorCode::decode(bands);
        if (const auto* refusal = std::get_if<BandRefusal>(&reading))
            refuseBands(*refusal, bands,
                        {{"first digit", digitColours(true)},
                         {"second digit", digitColours(false)},
                         {"multiplier", multiplierColours()},
                         {"tolerance", toleranceColours({"black"})}});
        const BandValue& v = std::get<BandValue>(reading);
        const std::string text = InductorCode::text(v);
        if (o->json) bench::printJson(bandJson(v.value, "henry", v.tolerancePercent, std::nullopt, text));
        else std::cout << text << '\n';
    });
}
