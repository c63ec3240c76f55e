#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "decoders/InfoResistorsSMD.h"

void addSmdCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("smd", "SMD resistor code: the resistance of a marking");
    cmd->footer(
        "TEXT goes into the marking field exactly as typed: R notation (4R7), three or four digits (472, 4702)\n"
        "or EIA-96 (01C), in either case. It may be empty or begin with '-'. Example: velkaro smd 4r7");
    auto texts = std::make_shared<std::vector<std::string>>();
    cmd->add_option("TEXT", *texts, "The field's text");
    takesVerbatimText(cmd);
    cmd->callback([texts] {
        if (texts->size() != 1)
            throw UsageError("give exactly one TEXT, the marking (e.g. velkaro smd 472), got " +
                             std::to_string(texts->size()));
        std::cout << InfoResistorsSMD::resultText(texts->front()) << '\n';
    });
}
