#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/OptionReader.h"
#include "cli/UsageError.h"
#include "core/calculators/Ne555Timer.h"

void addNe555Command(CLI::App& app) {
    auto* cmd = app.add_subcommand("ne555", "NE555 timer: monostable pulse, astable times and frequency");
    cmd->footer(
        "Monostable: T = 1.1 x R x C. Astable: t1 = 0.693 x (Ra + Rb) x C (output high), t2 = 0.693 x Rb x C\n"
        "(low), f = 1 / (t1 + t2). A bare number is in kilo-ohms or microfarads (their product is milliseconds);\n"
        "prefixes and units are honoured: --c2 10n is 10 nF, --ra 470R is 470 ohms.\n"
        "Prints three lines: the monostable pulse, the astable times t1 and t2, the astable frequency. An astable\n"
        "C below 10 pF or Ra or Rb below 1 ohm is an error (exit 1, the pulse line printed).\n"
        "Example: velkaro ne555 --c1 100 --r1 10 --c2 100n --ra 1k --rb 2k");
    struct Options {
        Ne555Timer::Texts texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    addTextOption(cmd, "--c1", o->texts.c1, "Monostable capacitor C, microfarads (default 10)")->type_name("UF");
    addTextOption(cmd, "--r1", o->texts.r1, "Monostable resistor R, kilo-ohms (default 1)")->type_name("KOHM");
    addTextOption(cmd, "--c2", o->texts.c2, "Astable capacitor C, microfarads (default 10)")->type_name("UF");
    addTextOption(cmd, "--ra", o->texts.ra, "Astable resistor Ra, kilo-ohms (default 1)")->type_name("KOHM");
    addTextOption(cmd, "--rb", o->texts.rb, "Astable resistor Rb, kilo-ohms (default 1)")->type_name("KOHM");
    bench::addJsonFlag(cmd, o->json,
                       "Print one JSON object: monostable {c_uf, r_kohm, pulse_ms}, astable {c_uf, ra_kohm, "
                       "rb_kohm, t1_ms, t2_ms, frequency_hz}");
    cmd->callback([o] {
        auto read = [](const char* option, const std::string& text, Measure m) {
            return static_cast<float>(OptionReader::read(option, text, m));
        };
        const float c1 = read("--c1", o->texts.c1, Measure::Microfarads);
        const float r1 = read("--r1", o->texts.r1, Measure::KiloOhms);
        const float c2 = read("--c2", o->texts.c2, Measure::Microfarads);
        const float ra = read("--ra", o->texts.ra, Measure::KiloOhms);
        const float rb = read("--rb", o->texts.rb, Measure::KiloOhms);
        const float pulse = Ne555Timer::monostablePulse(c1, r1);
        const auto astable = Ne555Timer::astable(c2, ra, rb);
        const auto lines = Ne555Timer::astableLines(astable);
        if (o->json) {
            using Json = nlohmann::ordered_json;
            const Json timer = astable.valid ? Json{{"c_uf", bench::decimal(c2)},
                                                    {"ra_kohm", bench::decimal(ra)},
                                                    {"rb_kohm", bench::decimal(rb)},
                                                    {"t1_ms", bench::decimal(astable.t1)},
                                                    {"t2_ms", bench::decimal(astable.t2)},
                                                    {"frequency_hz", bench::decimal(Ne555Timer::hertz(astable))}}
                                             : Json();
            bench::printJson(
                {{"monostable",
                  {{"c_uf", bench::decimal(c1)}, {"r_kohm", bench::decimal(r1)}, {"pulse_ms", bench::decimal(pulse)}}},
                 {"astable", timer}});
        } else {
            std::cout << Ne555Timer::monostableLine(pulse) << '\n';
            if (astable.valid) std::cout << lines.times << '\n' << lines.frequency << '\n';
        }
        if (!astable.valid) throw ResultError(lines.times + " (astable)");
    });
}
