#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "cli/WindowProgram.h"
#include "platform/FileSystem.h"

namespace {

bool hasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;  // offscreen, vnc, … chosen on purpose
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    raiseOpenFileLimit();  // the FTP server holds one descriptor per connection and per open file
    CLI::App app{"Velkaro — an electronics pocket reference: colour codes, standard values, calculators and a "
                 "datasheet store.\nWithout a subcommand it opens the window."};
    app.set_version_flag("--version", std::string("velkaro ") + VELKARO_VERSION);
    bool tablet = false;
    app.add_flag("--tablet", tablet, "Run as on a tablet (tablet menu and layouts)");
    app.require_subcommand(0, 1);
    app.fallthrough();
    addAllCommands(app);
    // The project's screenshot maker draws the window, so the window program runs it.
    const auto args = argumentsForParsing(argc, argv);
    for (const auto& arg : args)
        if (arg[0] != '-') {
            if (arg == "screenshot") return WindowProgram::exec(argv);
            break;
        }

    try {
        parseCommandLine(app, argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? 0 : 2;
    } catch (const UsageError& e) {
        std::cerr << "velkaro: " << e.what() << '\n';
        return 2;
    }
    if (!app.get_subcommands().empty()) return 0;

    if (!hasDisplay()) {
        std::cerr << "velkaro: no display found (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot "
                     "open.\nThe tools work on the command line: velkaro resistor, capacitor, values, smd, inductor, "
                     "led, ne555, wires, drop, solar, datasheets, ftp, web.\nSee velkaro --help.\n";
        return 1;
    }
    return WindowProgram::exec(argv);  // --tablet goes along with the other arguments
}
