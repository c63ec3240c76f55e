#include <iostream>
#include <memory>

#include "core/bench/MarkingIdentifier.h"
#include "cli/BenchArguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"

void addIdentifyCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("identify", "Every plausible reading of a part's marking, most likely first");
    cmd->footer("TEXT: colour bands (\"yellow violet red gold\", either direction), an SMD code (472, 4702, 4R7,\n"
                "01C), a capacitor code (474K), an inductor code or a value (4k7). Example: velkaro identify 474K");
    struct Options {
        std::vector<std::string> words;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    cmd->add_option("TEXT", o->words, "The marking (several words are joined with blanks)")->required();
    bench::addJsonFlag(cmd, o->json);
    takesVerbatimText(cmd);
    cmd->callback([o] {
        std::string text;
        for (const auto& w : o->words) text += (text.empty() ? "" : " ") + w;
        const auto readings = MarkingIdentifier::identify(text);
        if (readings.empty())
            throw UsageError("'" + text + "' is no marking this program reads: give colour bands, an SMD, "
                             "capacitor or inductor code, or a value below 1000 G");
        if (o->json) {
            nlohmann::ordered_json list = nlohmann::ordered_json::array();
            for (const auto& r : readings)
                list.push_back({{"kind", r.kind},
                                {"value", r.value},
                                {"unit", r.unit == Unit::None ? nlohmann::ordered_json() : nlohmann::ordered_json(unitName(r.unit))},
                                {"tolerance_percent", r.tolerancePercent ? nlohmann::ordered_json(*r.tolerancePercent)
                                                                         : nlohmann::ordered_json()},
                                {"text", r.text}});
            bench::printJson({{"readings", list}});
            return;
        }
        for (const auto& r : readings) std::cout << r.kind << ": " << r.text << '\n';
    });
}
