#pragma once
#include <CLI/CLI.hpp>

/// Each tool's subcommand adds itself to the program's command line here. A subcommand's callback prints the
/// screen's result lines on standard output and throws `UsageError` for input it cannot take.
void addResistorCommand(CLI::App& app);

/// Adds every subcommand, in the order `--help` lists them.
void addAllCommands(CLI::App& app);
