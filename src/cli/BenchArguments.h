#pragma once
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <string>

#include "core/bench/Quantity.h"

class ESeries;

/// What the bench-tool subcommands share: values read as engineers write them, the series option, --json.
namespace bench {

/// The value of `text` in base units; a bare number means `unit`. A usage error names the text, or says which
/// unit was written when it is not `unit` ("'100nF' is in farads: give ohms").
double value(const std::string& text, Unit unit);
/// As `value`, but any of ohms, farads and henries is taken; the quantity says which (ohms for a bare number).
Quantity anyComponentValue(const std::string& text);
/// A percentage written "5", "5%" or "0.5 %".
double percent(const std::string& text);
/// The series named by --series ("E24", "e96", "192"), or a usage error listing them.
const ESeries& series(const std::string& name);

/// Adds --json to `cmd`, storing into `flag`.
void addJsonFlag(CLI::App* cmd, bool& flag);
/// Adds --series to `cmd` (default E24), storing into `name`.
void addSeriesOption(CLI::App* cmd, std::string& name);
/// Prints `object` as one line of JSON on standard output.
void printJson(const nlohmann::ordered_json& object);

}  // namespace bench
