#pragma once
#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "core/bench/Quantity.h"

/// What the board and RF subcommands share beyond the bench tools': options that may be left out, and the copper
/// given as --thickness or --copper-oz.
namespace pcbcli {

/// As `bench::value` for the text of `option`, but nothing for an option not given (empty text).
std::optional<double> optional(const char* option, const std::string& text, Unit unit);
/// Throws the usage error `error` unless `ok`.
void require(bool ok, const std::string& error);

/// Adds --thickness (copper, 35um by default) and --copper-oz to `cmd`.
void addCopperOptions(CLI::App* cmd, std::string& thickness, std::string& ounces);
/// The copper thickness in metres from those options (the ounces win when given).
double copperThickness(const std::string& thickness, const std::string& ounces);

/// A number without prefix or unit, four significant digits: "0.5", "27.35", "156.3".
std::string plain(double value);

}  // namespace pcbcli
