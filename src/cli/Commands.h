#pragma once
#include <CLI/CLI.hpp>

/// Each tool's subcommand adds itself to the program's command line here. A subcommand's callback prints the
/// screen's result lines on standard output and throws `UsageError` for input it cannot take.
void addResistorCommand(CLI::App& app);
void addCapacitorCommand(CLI::App& app);
void addValuesCommand(CLI::App& app);
void addSmdCommand(CLI::App& app);
void addInductorCommand(CLI::App& app);
void addLedCommand(CLI::App& app);
void addNe555Command(CLI::App& app);
void addWiresCommand(CLI::App& app);
void addDropCommand(CLI::App& app);
void addSolarCommand(CLI::App& app);
/// `velkaro datasheets [--dir DIR]`: "Files: N", then the store's entry names in the list's order;
/// `datasheets index` brings the full-text index up to date, `datasheets search QUERY [--json] [--limit N]` asks it.
void addDatasheetsCommand(CLI::App& app);
/// `velkaro ftp [--dir DIR] [--port N]`: the transfer server without a display, until SIGINT or SIGTERM.
void addFtpCommand(CLI::App& app);
/// `velkaro web [--dir DIR] [--port N] [--read-only]`: the upload page without a display, until SIGINT or SIGTERM.
void addWebCommand(CLI::App& app);

/// The bench tools: each reads values as engineers write them (4k7, 100n) and prints text, or one JSON object with
/// --json; input it cannot take is a usage error.
void addEseriesCommand(CLI::App& app);
void addBandsCommand(CLI::App& app);
void addSmdcodeCommand(CLI::App& app);
void addCapcodeCommand(CLI::App& app);
void addDividerCommand(CLI::App& app);
void addCombineCommand(CLI::App& app);
void addRegulatorCommand(CLI::App& app);
void addIdentifyCommand(CLI::App& app);

/// The board and RF tools: values with their units (35um, 1.6mm, 100MHz), text or --json in base SI units, input
/// they cannot take a usage error naming the option.
void addTrackwidthCommand(CLI::App& app);
void addViaCommand(CLI::App& app);
void addSpacingCommand(CLI::App& app);
void addImpedanceCommand(CLI::App& app);
void addAttenuatorCommand(CLI::App& app);
void addFusingCommand(CLI::App& app);
void addCableCommand(CLI::App& app);
void addWavelengthCommand(CLI::App& app);
void addGalvanicCommand(CLI::App& app);

/// Adds every subcommand, in the order `--help` lists them.
void addAllCommands(CLI::App& app);
