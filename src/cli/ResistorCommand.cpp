#include <iostream>

#include "cli/Commands.h"
#include "cli/WheelRows.h"
#include "cli/UsageError.h"
#include "decoders/InfoResistorsView.h"

namespace {

// Band positions given on the command line, by number of bands, as wheel components.
std::vector<int> componentsForBandCount(size_t bands) {
    switch (bands) {
        case 3: return {0, 1, 3};
        case 4: return {0, 1, 3, 4};
        case 5: return {0, 1, 2, 3, 4};
        case 6: return {0, 1, 2, 3, 4, 5};
        default: return {};
    }
}

const std::vector<std::string> kWheelNames = {"first digit", "second digit", "third digit",
                                              "multiplier",  "tolerance",    "temperature coefficient"};

}  // namespace

void addResistorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("resistor", "Resistor colour code: decode 3 to 6 colour bands");
    cmd->footer(
        "Bands: 3 = digit digit multiplier; 4 = + tolerance; 5 = digit digit digit multiplier tolerance;\n"
        "6 = + temperature coefficient. Colour names are case-insensitive; \"none\" where the band offers it.\n"
        "Example: velkaro resistor yellow violet red gold");
    auto bands = std::make_shared<std::vector<std::string>>();
    auto rows = std::make_shared<std::string>();
    cmd->add_option("bands", *bands, "Colour names of the bands, in order");
    cmd->add_option("--rows", *rows, "Wheel rows r0,r1,r2,r3,r4,r5 instead of colour names");
    cmd->callback([bands, rows] {
        const auto& wheels = InfoResistorsView::wheels();
        std::vector<int> selected(6, 0);
        if (!rows->empty()) {
            if (!bands->empty()) throw UsageError("give either colour bands or --rows, not both");
            selected = parseRows(*rows, 6);
            checkRowsExist(wheels, selected, kWheelNames);
        } else {
            auto components = componentsForBandCount(bands->size());
            if (components.empty())
                throw UsageError("give 3, 4, 5 or 6 colour bands (got " + std::to_string(bands->size()) +
                                 "), or --rows r0,r1,r2,r3,r4,r5");
            for (size_t i = 0; i < components.size(); ++i) {
                const int c = components[i];
                const auto& names = wheels[static_cast<size_t>(c)];
                const int row = rowNamed(names, (*bands)[i]);
                if (row < 0)
                    throw UsageError("band " + std::to_string(i + 1) + " (" + kWheelNames[static_cast<size_t>(c)] +
                                     ") cannot be \"" + (*bands)[i] + "\"; choose one of: " + listOfChoices(names));
                selected[static_cast<size_t>(c)] = row;
            }
        }
        const auto& r = selected;
        std::cout << InfoResistorsView::resultText(r[0], r[1], r[2], r[3], r[4], r[5]) << '\n';
    });
}
