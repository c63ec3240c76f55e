#pragma once
#include <CLI/CLI.hpp>

/// The board and RF tools' subcommands: values with their units (35um, 1.6mm, 100MHz), text or --json in base SI
/// units, input they cannot take a usage error naming the option.
void addTrackwidthCommand(CLI::App& app);
void addViaCommand(CLI::App& app);
void addSpacingCommand(CLI::App& app);
void addImpedanceCommand(CLI::App& app);
void addAttenuatorCommand(CLI::App& app);
void addFusingCommand(CLI::App& app);
void addCableCommand(CLI::App& app);
void addWavelengthCommand(CLI::App& app);
void addGalvanicCommand(CLI::App& app);
