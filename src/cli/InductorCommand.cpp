#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/WheelRows.h"
#include "cli/UsageError.h"
#include "decoders/InfoInductionView.h"

void addInductorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("inductor", "Inductor colour code: decode 4 colour bands (value in uH or mH)");
    cmd->footer(
        "Bands: first digit, second digit, multiplier, tolerance. Colour names are case-insensitive;\n"
        "\"none\" for a missing tolerance band. Example: velkaro inductor yellow violet brown silver");
    auto bands = std::make_shared<std::vector<std::string>>();
    auto rows = std::make_shared<std::string>();
    cmd->add_option("bands", *bands, "Colour names of the four bands, in order");
    cmd->add_option("--rows", *rows, "Wheel rows r0,r1,r2,r3 instead of colour names");
    cmd->callback([bands, rows] {
        const std::vector<std::string> wheels = {"first digit", "second digit", "multiplier", "tolerance"};
        const auto& wheelRows = InfoInductionView::wheels();
        std::vector<int> selected;
        if (!rows->empty()) {
            if (!bands->empty()) throw UsageError("give either colour bands or --rows, not both");
            selected = parseRows(*rows, 4);
            checkRowsExist(wheelRows, selected, wheels);
        } else {
            if (bands->size() != 4)
                throw UsageError("give 4 colour bands (got " + std::to_string(bands->size()) +
                                 "): first digit, second digit, multiplier, tolerance; or --rows r0,r1,r2,r3");
            for (int c = 0; c < 4; ++c) {
                const auto& names = wheelRows[static_cast<size_t>(c)];
                const std::string& band = (*bands)[static_cast<size_t>(c)];
                const int row = rowNamed(names, band);
                if (row < 0)
                    throw UsageError("band " + std::to_string(c + 1) + " (" + wheels[static_cast<size_t>(c)] +
                                     ") cannot be \"" + band + "\"; choose one of: " + listOfChoices(names));
                selected.push_back(row);
            }
        }
        const auto& r = selected;
        std::cout << InfoInductionView::resultText(r[0], r[1], r[2], r[3]) << '\n';
    });
}
