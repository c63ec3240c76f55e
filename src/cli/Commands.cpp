#include "cli/Commands.h"

void addAllCommands(CLI::App& app) {
    addResistorCommand(app);
    addCapacitorCommand(app);
    addValuesCommand(app);
    addSmdCommand(app);
    addInductorCommand(app);
    addDatasheetsCommand(app);
    addFtpCommand(app);
}
