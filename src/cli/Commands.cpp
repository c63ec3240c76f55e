#include "cli/Commands.h"

void addAllCommands(CLI::App& app) {
    addResistorCommand(app);
    addCapacitorCommand(app);
    addValuesCommand(app);
    addSmdCommand(app);
    addInductorCommand(app);
    addFtpCommand(app);
}
