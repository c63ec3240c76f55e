#pragma once
#include <CLI/CLI.hpp>

/// The screenshot maker of the project's scripts, hidden from --help: `screenshot OUTPUT [--tablet] [steps]`. It
/// needs the program's own arguments for Qt and no display (it picks the offscreen platform). A malformed step
/// throws std::invalid_argument while the arguments are parsed.
void addScreenshotCommand(CLI::App& app, int argc, char** argv);
