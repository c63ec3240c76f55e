#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "decoders/InfoResValuesView.h"

void addValuesCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("values", "Standard resistor values next to a resistance in ohms");
    cmd->footer(
        "TEXT goes into the resistance field exactly as typed (read as a whole number of ohms, 1 to 10000000).\n"
        "It may be empty or begin with '-'. Example: velkaro values 4700");
    auto texts = std::make_shared<std::vector<std::string>>();
    cmd->add_option("TEXT", *texts, "The field's text");
    takesVerbatimText(cmd);
    cmd->callback([texts] {
        if (texts->size() != 1)
            throw UsageError("give exactly one TEXT, the resistance in ohms (e.g. velkaro values 4700), got " +
                             std::to_string(texts->size()));
        std::cout << InfoResValuesView::resultText(texts->front()) << '\n';
    });
}
