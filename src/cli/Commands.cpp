#include "cli/Commands.h"

void addAllCommands(CLI::App& app) {
    addResistorCommand(app);
}
