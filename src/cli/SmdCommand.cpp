#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "core/decoders/SmdCode.h"

void addSmdCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("smd", "SMD resistor code: the resistance of a marking");
    cmd->footer(
        "MARKING, either case: R as the decimal point (4R7 = 4.7 ohm, R47), three digits (472 = 47 x 10^2 ohm),\n"
        "four digits (4702 = 470 x 10^2), EIA-96 (01C: the code's E96 value 100 times the letter's multiplier,\n"
        "Z 0.001 Y 0.01 X/S 0.1 A 1 B/H 10 C 100 D 1000 E 10^4 F 10^5), or K or M as the decimal point (4K7,\n"
        "1M0). Anything else is refused. Example: velkaro smd 4r7");
    struct Options {
        std::vector<std::string> texts;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("MARKING", o->texts, "The marking as printed");
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        if (o->texts.size() != 1)
            throw UsageError("give exactly one MARKING (e.g. velkaro smd 472), got " + std::to_string(o->texts.size()));
        const std::string& marking = o->texts.front();
        const auto result = SmdCode::read(marking);
        if (!result)
            throw UsageError("'" + marking + "' is not an SMD marking: give R notation (4R7), three or four digits "
                             "(472, 4702), an EIA-96 code (01C) or K or M as the decimal point (4K7)");
        const std::string text = SmdCode::text(*result);
        const auto* r = std::get_if<SmdCode::Reading>(&*result);
        // The screen leads its error line with "Result: " as it does its results; the message is the rest.
        if (!r) throw ResultError(text.rfind("Result: ", 0) == 0 ? text.substr(8) : text);
        if (o->json) bench::printJson({{"marking", marking}, {"value", *r->ohms}, {"unit", "ohm"}, {"text", text}});
        else std::cout << text << '\n';
    });
}
