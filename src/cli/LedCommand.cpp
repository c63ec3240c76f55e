#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/OptionReader.h"
#include "cli/UsageError.h"
#include "core/calculators/LedResistor.h"

void addLedCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("led", "LED series resistor: resistance, power and the standard part to use");
    cmd->footer(
        "R = (supply - count x forward) / current, truncated to whole ohms; P = current x (supply - count x\n"
        "forward). The recommended resistor is the first not below R of 1, 2, 3 ohm and the E24 values from 10 ohm\n"
        "to 910 kOhm (less 16, 18, 300, 360 and 220k); its rating the first of 0.125, 0.25, 0.5, 1, 2, 5, 10, 50,\n"
        "100 W not below P (\"> 100\" above).\n"
        "Prints two lines: R and P, then the recommended resistor and rating (empty above 910 kOhm).\n"
        "A forward voltage below 0.1 V, a count below 1, a current below 1 mA or a supply that leaves less than\n"
        "1 ohm is an error (exit 1). Values take prefixes and units (4.5, 3300mV, 0.02A).\n"
        "Example: velkaro led --supply 12 --count 3 --forward 2.1 --current 20");
    struct Options {
        LedResistor::Texts texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    addTextOption(cmd, "--supply", o->texts.supply, "Supply voltage, volts (default 12)")->type_name("V");
    addTextOption(cmd, "--count", o->texts.count, "Number of LEDs in series, a whole number (default 1)")
        ->type_name("N");
    addTextOption(cmd, "--forward", o->texts.forward, "Forward voltage of one LED, volts (default 2)")->type_name("V");
    addTextOption(cmd, "--current", o->texts.current, "LED current, milliamperes (default 20)")->type_name("MA");
    bench::addJsonFlag(cmd, o->json,
                       "Print one JSON object: supply_v, count, forward_v, current_ma, resistance_ohm, power_w, "
                       "recommended_ohm, rating_w (null where none fits)");
    cmd->callback([o] {
        LedResistor::Inputs in;
        in.supply = static_cast<float>(OptionReader::read("--supply", o->texts.supply, Measure::Volts));
        in.count = static_cast<int>(OptionReader::read("--count", o->texts.count, Measure::Count));
        in.forward = static_cast<float>(OptionReader::read("--forward", o->texts.forward, Measure::Volts));
        in.milliamps = static_cast<float>(OptionReader::read("--current", o->texts.current, Measure::Milliamperes));
        const auto result = LedResistor::compute(in);
        if (result.error) throw ResultError(result.error);
        if (o->json) {
            using Json = nlohmann::ordered_json;
            bench::printJson(
                {{"supply_v", bench::decimal(in.supply)},
                 {"count", in.count},
                 {"forward_v", bench::decimal(in.forward)},
                 {"current_ma", bench::decimal(in.milliamps)},
                 {"resistance_ohm", result.ohms},
                 {"power_w", bench::decimal(result.watts)},
                 {"recommended_ohm", result.recommended ? Json(result.recommended) : Json()},
                 {"rating_w", result.recommended && result.rating ? Json(bench::decimal(*result.rating)) : Json()}});
            return;
        }
        const auto lines = LedResistor::lines(result);
        std::cout << lines.resistance << '\n' << lines.recommendation << '\n';
    });
}
