#pragma once
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

/// Marks a subcommand whose first argument is a text put into a field verbatim, so that a text beginning with
/// '-' ("-5", "-R47") reaches it as the text instead of being taken for an option. "-h", "--help" and "--"
/// keep their meaning, as do the subcommand's own options ("--json"); `velkaro values -- -h` passes "-h" as the text.
void takesVerbatimText(CLI::App* subcommand);

/// The arguments after the program name as the parser should see them: unchanged, except that a "--" is put in
/// front of a marked subcommand's first argument when that begins with '-'.
std::vector<std::string> argumentsForParsing(int argc, char** argv);

/// Adds `--name TEXT` to `cmd`, setting `text` to the argument exactly as given: it may be empty or begin with
/// '-' (`--supply -5`, `--awg ''`). Without the option `text` keeps what it holds.
CLI::Option* addTextOption(CLI::App* cmd, const std::string& name, std::string& text, const std::string& help);

/// Parses the program's command line with `argumentsForParsing`; throws what `CLI::App::parse` throws.
void parseCommandLine(CLI::App& app, int argc, char** argv);
