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
/// As `value`, for the text of `option`: the message names the option.
double value(const std::string& option, const std::string& text, Unit unit);
/// As `value`, but any of ohms, farads and henries is taken; the quantity says which (ohms for a bare number).
Quantity anyComponentValue(const std::string& text);
/// A percentage written "5", "5%" or "0.5 %".
double percent(const std::string& text);
/// The series named by --series ("E24", "e96", "192"), or a usage error listing them.
const ESeries& series(const std::string& name);

/// Adds --json to `cmd`, storing into `flag`; `help` says what the object holds.
void addJsonFlag(CLI::App* cmd, bool& flag,
                 const std::string& help = "Print one JSON object (values in ohms, farads, henries, volts)");
/// Adds --series to `cmd` (default E24), storing into `name`.
void addSeriesOption(CLI::App* cmd, std::string& name);
/// Prints `object` as one line of JSON on standard output.
void printJson(const nlohmann::ordered_json& object);
/// A single-precision result as the double of its shortest decimal, so JSON shows 2.1 and not 2.0999999046325684.
double decimal(float value);

}  // namespace bench
