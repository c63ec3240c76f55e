#include "cli/Commands.h"

void addAllCommands(CLI::App& app) {
    addResistorCommand(app);
    addCapacitorCommand(app);
    addValuesCommand(app);
    addSmdCommand(app);
    addInductorCommand(app);
    addLedCommand(app);
    addNe555Command(app);
    addWiresCommand(app);
    addDropCommand(app);
    addSolarCommand(app);
    addEseriesCommand(app);
    addBandsCommand(app);
    addSmdcodeCommand(app);
    addCapcodeCommand(app);
    addDividerCommand(app);
    addCombineCommand(app);
    addRegulatorCommand(app);
    addIdentifyCommand(app);
    addTrackwidthCommand(app);
    addViaCommand(app);
    addSpacingCommand(app);
    addImpedanceCommand(app);
    addAttenuatorCommand(app);
    addFusingCommand(app);
    addCableCommand(app);
    addWavelengthCommand(app);
    addGalvanicCommand(app);
    addDatasheetsCommand(app);
    addFtpCommand(app);
    addWebCommand(app);
}
